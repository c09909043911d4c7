#pragma once
// Finding a setting by what the user remembers of it: a word of its caption,
// of its hint, or its name in the configuration file.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zorbel::settings {

// What a match was found in, best first.
enum class MatchedBy : std::uint8_t { Caption, Key, Hint };

struct SettingMatch {
  std::size_t setting;  // position in allSettings()
  MatchedBy by;         // where its least good word was found
};

// The settings whose caption, hint, control name or configuration file key
// holds every word of `query`, ASCII case ignored. Captions come first, then
// keys, then hints; within each, words matched at their start before words
// matched inside, then the encoder's order. An empty query finds nothing.
std::vector<SettingMatch> searchSettings(std::string_view query);

}  // namespace zorbel::settings
