#include "id3v2_frames.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tdebuglistener.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfile.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "tags/genre_table.h"
#include "tags/text_conversion.h"

namespace marlinote {
namespace {

using TagLib::ByteVector;
using TagLib::String;
namespace Id3 = TagLib::ID3v2;

// TagLib pads a tag whose frames outgrow its old size with this many bytes.
constexpr std::size_t kTagLibPadding = 1024;
// Four bytes of seven bits each.
constexpr std::int64_t kLargestBody = (std::int64_t{1} << 28) - 1;

// Whether ISO-8859-1 bytes are code page 932 text that an older Japanese program wrote:
// valid code page 932 with at least one kana character (lead byte 0x82 or 0x83).
bool IsCp932Kana(std::string_view bytes) {
  bool kana = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (IsCp932LeadByte(b)) {
      kana = kana || b == 0x82 || b == 0x83;
      ++i;
    }
  }
  return kana && LocalToUtf8(bytes).find("\xEF\xBF\xBD") == std::string::npos;
}

// TagLib asks this of every frame text marked ISO-8859-1.
class Latin1OrCp932 : public Id3::Latin1StringHandler {
 public:
  String parse(const ByteVector& data) const override {
    const std::string_view bytes(data.data(), data.size());
    if (IsCp932Kana(bytes)) return String(LocalToUtf8(bytes), String::UTF8);
    return String(data, String::Latin1);
  }
};

// TagLib drops a few frames of 2.3 tags that 2.4 no longer has (the date and time of TDAT
// and TIME, RVAD volume adjustment) when it reads them; kept as they are, so that a save
// loses nothing a reader showed.
template <typename Member>
struct ArgumentOf;
template <typename Result, typename Class, typename Argument>
struct ArgumentOf<Result (Class::*)(Argument) const> {
  using Type = Argument;
};

// TagLib keeps the name of a frame's header class to itself; its type is taken from the
// function that a factory overrides.
struct FactoryBase : Id3::FrameFactory {
  using HeaderPointer = ArgumentOf<decltype(&FactoryBase::updateFrame)>::Type;
};

using FrameHeader = std::remove_pointer_t<FactoryBase::HeaderPointer>;

class KeepingFrameFactory : public FactoryBase {
 protected:
  bool updateFrame(HeaderPointer header) const override {
    static constexpr std::array<std::string_view, 6> kKept = {"EQUA", "RVAD", "TIME",
                                                              "TRDA", "TSIZ", "TDAT"};
    if (header->version() == 3) {
      const ByteVector frameId = header->frameID();
      const std::string_view id(frameId.data(), frameId.size());
      if (std::find(kKept.begin(), kKept.end(), id) != kKept.end()) return true;
    }
    return FrameFactory::updateFrame(header);
  }
};

// TagLib's notes on odd tags are no concern of the user's.
class Silent : public TagLib::DebugListener {
 public:
  void printMessage(const String&) override {}
};

// TagLib's string handler and debug listener are global to the process. They are set once,
// before the first tag is read, to objects that live as long as the process and keep no
// state, so that tags read on several threads at once all read alike.
const Id3::FrameFactory& Factory() {
  static const struct Setup {
    Latin1OrCp932 handler;
    Silent silent;
    KeepingFrameFactory factory;
    Setup() {
      Id3::Tag::setLatin1StringHandler(&handler);
      TagLib::setDebugListener(&silent);
    }
  } setup;
  return setup.factory;
}

// A file of nothing but the tag's bytes, for TagLib to read the tag from.
class TagBytes : public TagLib::File {
 public:
  explicit TagBytes(TagLib::IOStream* stream) : File(stream) {}
  TagLib::Tag* tag() const override { return nullptr; }
  TagLib::AudioProperties* audioProperties() const override { return nullptr; }
  bool save() override { return false; }
};

// A tag parsed from its bytes; owns what TagLib reads it from.
struct ParsedTag {
  explicit ParsedTag(std::string_view bytes)
      : stream(ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()))),
        file(&stream),
        tag(&file, 0, &Factory()) {}
  TagLib::ByteVectorStream stream;
  TagBytes file;
  Id3::Tag tag;
};

std::string Local(const String& text) { return Utf8ToLocal(text.to8Bit(true)); }

// A genre as shown: "(145)" or "145", references into the genre table, by the table's name;
// a reference followed by a name ("(145)Anime") by the name.
std::string GenreShown(const String& value) {
  std::string text = value.to8Bit(true);
  if (text == "RX") return "Remix";
  if (text == "CR") return "Cover";
  std::string_view number(text);
  const bool bracketed = number.starts_with('(');
  if (bracketed) {
    const auto close = number.find(')');
    if (close == std::string_view::npos) return Utf8ToLocal(text);
    if (close + 1 < number.size()) return Utf8ToLocal(number.substr(close + 1));
    number = number.substr(1, close - 1);
  }
  if (number.empty() || number.size() > 3 ||
      number.find_first_not_of("0123456789") != std::string_view::npos)
    return Utf8ToLocal(text);
  const char* name = GenreName(std::stoi(std::string(number)));
  return name && *name ? std::string(name) : Utf8ToLocal(text);
}

// The values of a text frame, joined as other readers show several values.
std::string TextShown(const Id3::Frame& frame, bool genre) {
  const auto* text = dynamic_cast<const Id3::TextIdentificationFrame*>(&frame);
  if (!text) return Local(frame.toString());
  std::string shown;
  for (const String& value : text->fieldList()) {
    if (!shown.empty()) shown += '/';
    shown += genre ? GenreShown(value) : Local(value);
  }
  return shown;
}

// The comment frames that the Comment shows: those without a description, else the first.
std::vector<Id3::CommentsFrame*> CommentFrames(const Id3::FrameList& frames) {
  std::vector<Id3::CommentsFrame*> plain;
  Id3::CommentsFrame* first = nullptr;
  for (Id3::Frame* frame : frames) {
    auto* comment = frame->frameID() == "COMM" ? dynamic_cast<Id3::CommentsFrame*>(frame) : nullptr;
    if (!comment) continue;
    if (!first) first = comment;
    if (comment->description().isEmpty()) plain.push_back(comment);
  }
  if (plain.empty() && first) plain.push_back(first);
  return plain;
}

// Where each of the seven fields lives. TagLib reads a 2.3 TYER as TDRC.
struct FieldFrame {
  const char* key;
  const char* id;
};
constexpr std::array<FieldFrame, 7> kFieldFrames = {{{field::kTitle, "TIT2"},
                                                     {field::kArtist, "TPE1"},
                                                     {field::kAlbum, "TALB"},
                                                     {field::kYear, "TDRC"},
                                                     {field::kComment, "COMM"},
                                                     {field::kTrack, "TRCK"},
                                                     {field::kGenre, "TCON"}}};

using Shown = std::array<std::optional<std::string>, kFieldFrames.size()>;

// What each field shows of the tag's frames (in tag order, as TagLib read them): the first
// frame of its id, each frame's id looked at once.
Shown FieldsShown(const Id3::FrameList& frames) {
  std::array<const Id3::Frame*, kFieldFrames.size()> first{};
  for (const Id3::Frame* frame : frames) {
    const ByteVector frameId = frame->frameID();
    const std::string_view id(frameId.data(), frameId.size());
    for (std::size_t i = 0; i < first.size(); ++i)
      if (!first[i] && id == kFieldFrames[i].id) first[i] = frame;
  }
  Shown shown;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (kFieldFrames[i].key == field::kComment) {
      if (const auto comments = CommentFrames(frames); !comments.empty())
        shown[i] = Local(comments.front()->text());
    } else if (first[i]) {
      shown[i] = TextShown(*first[i], kFieldFrames[i].key == field::kGenre);
    }
  }
  return shown;
}

FieldList FieldsOf(const Id3::FrameList& frames) {
  Shown shown = FieldsShown(frames);
  FieldList fields;
  for (std::size_t i = 0; i < shown.size(); ++i)
    // An empty frame is no field: TagLib drops it when it renders the tag.
    if (shown[i] && !shown[i]->empty())
      fields.push_back({kFieldFrames[i].key, std::move(*shown[i])});
  return fields;
}

const std::string* ValueOf(const FieldList& fields, std::string_view key) {
  for (const TagField& f : fields)
    if (f.key == key) return &f.value;
  return nullptr;
}

// A text frame rendered with an ID3v2.3 frame header.
class TextFrame23 : public Id3::TextIdentificationFrame {
 public:
  using TextIdentificationFrame::TextIdentificationFrame;
  ByteVector Render() {
    header()->setVersion(3);
    return render();
  }
};

// Replaces the genre frames of a tag rendered as 2.3 with one frame of `values` (none when
// there are none), rendered into `outside`, past TagLib's 2.3 rendering: that rewrites a
// genre as references, "199" as "(199)", which TagLib itself then reads as no genre when the
// ID3v1 table has no name for the number.
void WriteGenre23(Id3::Tag& tag, const TagLib::StringList& values, std::string& outside) {
  tag.removeFrames("TCON");
  outside.clear();
  if (values.isEmpty()) return;
  TextFrame23 genre(ByteVector("TCON"), String::UTF16);
  genre.setText(values);
  const ByteVector frame = genre.Render();
  outside.assign(frame.data(), frame.size());
}

// Replaces the field's frames with one frame of `value` (none when it is empty).
void WriteField(Id3::Tag& tag, const FieldFrame& where, const std::string& value, bool v4,
                std::string& outside) {
  const String::Type encoding = v4 ? String::UTF8 : String::UTF16;
  const String text(LocalToUtf8(value), String::UTF8);
  if (where.key == field::kGenre && !v4) {
    WriteGenre23(tag, value.empty() ? TagLib::StringList() : TagLib::StringList(text), outside);
    return;
  }
  if (where.key == field::kComment) {
    const std::vector<Id3::CommentsFrame*> shown = CommentFrames(tag.frameList());
    if (!shown.empty()) {
      const String description = shown.front()->description();
      for (Id3::Frame* frame : Id3::FrameList(tag.frameListMap()["COMM"])) {
        const auto* comment = dynamic_cast<Id3::CommentsFrame*>(frame);
        if (comment && comment->description() == description) tag.removeFrame(frame);
      }
    }
    if (value.empty()) return;
    auto comment = std::make_unique<Id3::CommentsFrame>(encoding);
    comment->setLanguage("jpn");
    comment->setText(text);
    tag.addFrame(comment.release());
    return;
  }
  tag.removeFrames(where.id);
  // ID3v2.3 has the year in TYER; TagLib would write only the first four characters of a
  // TDRC there and drop a shorter one.
  const char* id = where.key == field::kYear && !v4 ? "TYER" : where.id;
  tag.removeFrames(id);
  if (value.empty()) return;
  auto frame = std::make_unique<Id3::TextIdentificationFrame>(ByteVector(id), encoding);
  frame->setText(text);
  tag.addFrame(frame.release());
}

void PutBodySize(std::string& tag, std::int64_t body) {
  for (int i = 0; i < 4; ++i) tag[9 - i] = static_cast<char>((body >> (7 * i)) & 0x7F);
}

// The tag's bytes, its frames followed by the frames `outside` holds, as long as `oldSize`
// when they fit there, else with 1024 bytes of padding; nothing when ID3v2 cannot hold it.
std::optional<std::string> Rendered(Id3::Tag& tag, bool v4, std::size_t oldSize,
                                    std::string_view outside) {
  // TagLib reads a 2.3 TYER as TDRC and would write back only its first four characters, or
  // nothing when it has fewer: it goes back as it came (in ISO-8859-1 where that holds it,
  // else TagLib writes UTF-16).
  if (!v4) {
    for (Id3::Frame* frame : Id3::FrameList(tag.frameListMap()["TDRC"])) {
      const auto* date = dynamic_cast<const Id3::TextIdentificationFrame*>(frame);
      if (!date) continue;
      auto year = std::make_unique<Id3::TextIdentificationFrame>(ByteVector("TYER"), String::Latin1);
      year->setText(date->fieldList());
      tag.removeFrame(frame);
      tag.addFrame(year.release());
    }
  }
  // With no old size to fill, TagLib pads by a fixed amount, which tells the frames' length.
  tag.header()->setTagSize(0);
  const ByteVector rendered = tag.render(v4 ? Id3::v4 : Id3::v3);
  if (rendered.size() < kId3v2HeaderSize + kTagLibPadding) return std::nullopt;
  std::string bytes(rendered.data(), rendered.size() - kTagLibPadding);
  bytes += outside;
  const std::size_t framesEnd = bytes.size();
  const std::size_t size = oldSize >= framesEnd ? oldSize : framesEnd + kTagLibPadding;
  if (static_cast<std::int64_t>(size - kId3v2HeaderSize) > kLargestBody) return std::nullopt;
  bytes.resize(size, '\0');
  PutBodySize(bytes, static_cast<std::int64_t>(size - kId3v2HeaderSize));
  return bytes;
}

// Whether TagLib, reading a tag, takes the frame that begins with `header` (in a tag whose
// frames and padding have `left` bytes from there on), or gives up on the rest of the tag:
// the first checks of its frame factory.
bool TagLibTakes(const FrameHeader& header, unsigned version, unsigned left) {
  ByteVector id = header.frameID();
  if (id.size() != 4 || header.frameSize() <= (header.dataLengthIndicator() ? 4u : 0u) ||
      header.frameSize() > left)
    return false;
  // iTunes writes ID3v2.2 frames into ID3v2.3 tags; TagLib reads their three letters.
  if (version == 3 && id[3] == '\0') id = id.mid(0, 3);
  for (const char c : id)
    if ((c < 'A' || c > 'Z') && (c < '0' || c > '9')) return false;
  return true;
}

// Frames whose flags ask more of a reader: compressed, encrypted (TagLib would keep such a
// TDAT as it is, and then read it into the year), unsynchronised, or with a data length of
// their own, which TagLib believes even past the frame's end.
bool HasOddFlags(const FrameHeader& header) {
  return header.compression() || header.encryption() || header.unsynchronisation() ||
         header.dataLengthIndicator();
}

}  // namespace

std::optional<Id3v2Header> ReadId3v2Header(std::string_view head) {
  if (head.size() < kId3v2HeaderSize || !head.starts_with("ID3")) return std::nullopt;
  const Id3::Header header(ByteVector(head.data(), kId3v2HeaderSize));
  const auto version = static_cast<int>(header.majorVersion());
  if (version < 2 || version > 4 || header.tagSize() == 0) return std::nullopt;
  return Id3v2Header{version, static_cast<std::int64_t>(header.completeTagSize())};
}

std::optional<Id3v2Contents> ParseId3v2Tag(std::string_view tag) {
  const std::optional<Id3v2Header> header = ReadId3v2Header(tag);
  if (!header || header->size > static_cast<std::int64_t>(tag.size())) return std::nullopt;
  const ParsedTag parsed(tag.substr(0, static_cast<std::size_t>(header->size)));
  return Id3v2Contents{header->version, FieldsOf(parsed.tag.frameList())};
}

std::optional<Id3v2Contents> ProbeId3v2Tag(const Id3v2Bytes& bytes) {
  const std::optional<std::string_view> head = bytes(0, kId3v2HeaderSize);
  const std::optional<Id3v2Header> header = head ? ReadId3v2Header(*head) : std::nullopt;
  if (!header) return std::nullopt;
  const Id3::Header tagHeader(ByteVector(head->data(), kId3v2HeaderSize));
  const unsigned version = tagHeader.majorVersion();
  // Frames and padding: TagLib reads every frame from here up to the first zero byte.
  const unsigned length = tagHeader.tagSize();
  constexpr unsigned kFrameHeaderSize = 10;
  const auto whole = [&]() -> std::optional<Id3v2Contents> {
    const std::optional<std::string_view> all = bytes(0, static_cast<std::size_t>(header->size));
    return all ? ParseId3v2Tag(*all) : std::nullopt;
  };
  // A whole 2.3 tag unsynchronised, an extended header, a footer or a 2.2 tag: frames are
  // found only by reading all of it, as TagLib does.
  if (version < 3 || (version == 3 && tagHeader.unsynchronisation()) ||
      tagHeader.extendedHeader() || tagHeader.footerPresent() || length <= kFrameHeaderSize)
    return whole();
  const Id3::FrameFactory& factory = Factory();
  Id3::FrameList frames;
  frames.setAutoDelete(true);
  for (unsigned at = 0; at < length - kFrameHeaderSize;) {
    // `count` bytes of the frame from `from`.
    const auto frameBytes = [&](unsigned from, unsigned count) -> std::optional<ByteVector> {
      const std::optional<std::string_view> read = bytes(kId3v2HeaderSize + at + from, count);
      if (!read) return std::nullopt;
      return ByteVector(read->data(), static_cast<unsigned>(read->size()));
    };
    const std::optional<ByteVector> start = frameBytes(0, kFrameHeaderSize);
    if (!start) return std::nullopt;
    const char first = start->at(0);
    if (first == '\0') break;  // the padding
    FrameHeader frame(*start, version);
    // TagLib checks a larger 2.4 frame's size against the next frame's header (iTunes wrote
    // 2.3 sizes into 2.4 tags): such a frame is read with the rest of the tag behind it.
    std::optional<ByteVector> rest;
    if (version == 4 && frame.frameSize() > 127) {
      rest = frameBytes(0, length - at);
      if (!rest) return std::nullopt;
      frame.setData(*rest, version);
    }
    if (!TagLibTakes(frame, version, length - at)) break;
    if (HasOddFlags(frame)) return whole();
    const unsigned size = kFrameHeaderSize + frame.frameSize();
    // Only frames of the seven fields are read: their ids (2.2 ones in 2.3 tags among them)
    // begin with T or C.
    if (first == 'T' || first == 'C') {
      // TagLib takes a frame that runs up to 10 bytes past the tag, up to the tag's end. The
      // header is in hand: only the body is read, one read for a frame beyond the sample.
      std::optional<ByteVector> data = rest;
      if (!data) {
        const std::optional<ByteVector> body =
            frameBytes(kFrameHeaderSize, std::min(size, length - at) - kFrameHeaderSize);
        if (!body) return std::nullopt;
        data = *start;
        data->append(*body);
      }
      Id3::Frame* read = factory.createFrame(*data, &tagHeader);
      if (!read) break;
      frames.append(read);
    }
    at += size;
  }
  return Id3v2Contents{header->version, FieldsOf(frames)};
}

std::optional<std::string> RenderId3v2Tag(std::string_view old, const FieldList& fields) {
  std::optional<Id3v2Header> header;
  if (!old.empty()) {
    header = ReadId3v2Header(old);
    if (!header || header->size != static_cast<std::int64_t>(old.size())) return std::nullopt;
  }
  ParsedTag parsed(old);
  Id3::Tag& tag = parsed.tag;
  const bool v4 = header && header->version == 4;
  // A frame rendered past TagLib's rendering (see WriteField).
  std::string outside;
  // What each field read as, and the fields the render must keep reading so.
  const Shown shown = FieldsShown(tag.frameList());
  std::array<bool, kFieldFrames.size()> kept{};
  for (std::size_t i = 0; i < kFieldFrames.size(); ++i) {
    const std::string* value = ValueOf(fields, kFieldFrames[i].key);
    kept[i] = !value || shown[i].value_or(std::string()) == *value;
    if (!kept[i]) WriteField(tag, kFieldFrames[i], *value, v4, outside);
  }
  // The fields nobody changed that a rendering reads otherwise.
  const auto readOtherwise = [&](const std::string& rendered) {
    const ParsedTag check(rendered);
    const Shown read = FieldsShown(check.tag.frameList());
    std::array<bool, kFieldFrames.size()> otherwise{};
    for (std::size_t i = 0; i < kFieldFrames.size(); ++i)
      otherwise[i] = kept[i] && read[i].value_or(std::string()) != shown[i].value_or(std::string());
    return otherwise;
  };
  std::optional<std::string> bytes = Rendered(tag, v4, old.size(), outside);
  if (!bytes) return std::nullopt;
  // TagLib's 2.3 rendering rewrites some frames (several TCON frames become one, genre
  // numbers references): a field nobody changed that would read otherwise is written as it
  // read.
  const std::array<bool, kFieldFrames.size()> otherwise = readOtherwise(*bytes);
  if (std::find(otherwise.begin(), otherwise.end(), true) == otherwise.end()) return bytes;
  for (std::size_t i = 0; i < kFieldFrames.size(); ++i) {
    if (!otherwise[i]) continue;
    const Id3::FrameList& genres = tag.frameListMap()["TCON"];
    const auto* genre = kFieldFrames[i].key == field::kGenre && !v4 && !genres.isEmpty()
                            ? dynamic_cast<const Id3::TextIdentificationFrame*>(genres.front())
                            : nullptr;
    if (genre) {
      // Its values as they were: the text the field shows may read otherwise ("(14" and
      // ")" show as "(14/)", which TagLib reads as a reference).
      WriteGenre23(tag, TagLib::StringList(genre->fieldList()), outside);
    } else if (shown[i]) {
      WriteField(tag, kFieldFrames[i], *shown[i], v4, outside);
    } else {
      // Frames of the field that TagLib could not read as such (odd frame flags), but
      // renders so that they would read.
      tag.removeFrames(kFieldFrames[i].id);
      if (kFieldFrames[i].key == field::kYear) tag.removeFrames("TYER");
    }
  }
  bytes = Rendered(tag, v4, old.size(), outside);
  // A tag that TagLib still renders otherwise (frames with an encoding byte ID3v2 does not
  // know): no tag, and so no save, rather than one that would lose what a field showed.
  if (!bytes) return std::nullopt;
  const std::array<bool, kFieldFrames.size()> still = readOtherwise(*bytes);
  if (std::find(still.begin(), still.end(), true) != still.end()) return std::nullopt;
  return bytes;
}

}  // namespace marlinote
