#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bench/corpus_formats.h"

namespace marlinote::bench {

struct OddStats {
  std::size_t files = 0;
  std::size_t bytes = 0;
};

// One file of every damaged or unusual kind (see CorpusOptions::damaged), named after what
// is odd about it, plus files and Ogg headers that end one byte before, at and one byte
// after each of `boundaries`.
OddStats MakeOddFiles(const std::string& folder, const std::string& mpeg, const OggTemplate& t,
                      const std::vector<std::size_t>& boundaries);

}  // namespace marlinote::bench
