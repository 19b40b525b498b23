// The lines the room should see, spelt out here rather than built by the code under test.
#pragma once

#include <string>

namespace vorivevo::sim::expected {

inline const std::string kPrefix = "<Font Color=#FFAB3E>^v\u00F7\u00A4";
inline const std::string kAdvert = kPrefix + "< a href=https://vorivevo.net/><Font Color=#FFAB3E>Zavarurev Iroz</a>";
inline const std::string kLoaded = kPrefix + "Now Loaded";
inline const std::string kOff = kPrefix + "Status: Off!";
inline const std::string kUnloaded = kPrefix + "Now Unloaded";
inline std::string Idle(const std::string& minutes) { return kPrefix + "I've Been Idle For: " + minutes + " Min(s)"; }

}  // namespace vorivevo::sim::expected
