#include "genre_table.h"

#include "tags/text_conversion.h"

namespace marlinote {

namespace {

// The spellings are the program's own and are stored in files as they are.
constexpr const char* kNamed[] = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-tecno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Juzz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk/Rock",
    "National Folk",
    "Swing",
    "Fast-Fusion",
    "Bedob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantagarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychadelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "SpeechChanson",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rhytmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "Acapella",
    "Euro-House",
    "Dance Hall",
    "Goa",
    "Dram & Bass",
    "Club-House",
    "Hardcore",
    "Terror",
    "Indie",
    "BritPop",
    "Negerpunk",
    "Polsk Punk",
    "Beat",
    "Chiristian Gangsta Rap",
    "Heavy Metal",
    "Black Metal",
    "Crossover",
    "Contemporary Christian",
    "Christian Rock",
    "Merengue",
    "Salsa",
    "Thrash Metal",
    "Anime",
    "JPop",
    "Synthpop",
};

constexpr const char* kTail[] = {"Seiyu", "Tecno Ambient", "Moemoe", "Tokusatsu", "Anime"};

constexpr std::array<const char*, kGenreCount> BuildTable() {
  std::array<const char*, kGenreCount> table{};
  for (int i = 0; i < kGenreCount; ++i) table[i] = "";
  for (int i = 0; i < 148; ++i) table[i] = kNamed[i];
  for (int i = 0; i < 5; ++i) table[251 + i] = kTail[i];
  return table;
}

constexpr std::array<const char*, kGenreCount> kTable = BuildTable();

// The common spellings of the entries the table spells its own way.
struct Alias {
  const char* name;
  int index;
};
constexpr Alias kAliases[] = {
    {"Euro-Techno", 25},       {"Jazz+Funk", 29},     {"Psychedelic", 67},
    {"Bebop", 85},             {"Avantgarde", 90},    {"Psychedelic Rock", 93},
    {"Speech", 101},           {"Rhythmic Soul", 118}, {"Drum & Bass", 127},
    {"Christian Gangsta Rap", 136},
};

// The empty entry a name the table lacks is stored as.
constexpr int kNoGenre = 250;

}  // namespace

const char* GenreName(int index) {
  if (index < 0 || index >= kGenreCount) return "";
  return kTable[index];
}

std::optional<int> FindGenreIndex(std::string_view name) {
  std::optional<int> found;
  for (int i = 0; i < kGenreCount; ++i)
    if (EqualsIgnoringAsciiCase(name, kTable[i])) found = i;
  if (found) return found;
  for (const Alias& alias : kAliases)
    if (EqualsIgnoringAsciiCase(name, alias.name)) return alias.index;
  return std::nullopt;
}

int GenreIndex(std::string_view name) { return FindGenreIndex(name).value_or(kNoGenre); }

}  // namespace marlinote
