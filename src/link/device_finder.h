#pragma once
// Finding the device: on each port in turn, one configuration read request for
// page 0 and at most half a second for a valid page answer. The only code that
// sends bytes to a port the user did not choose; it runs only when asked.
#include <chrono>
#include <string>
#include <vector>

#include "system_view.h"

namespace zorbel::link {

inline constexpr std::chrono::milliseconds kFindAnswerWait{500};

// The ports of the list worth trying: those the port box offers that are ready.
std::vector<std::string> portsToSearch();

// The ports, of `ports` in order, where a device answered. A port another
// program has locked (its exclusive open fails, or a UUCP lock file names a
// living process) is not touched; each port tried gets its settings back.
std::vector<std::string> findDevice(const SystemView& view, const std::vector<std::string>& ports,
                                    std::chrono::milliseconds wait = kFindAnswerWait);

}  // namespace zorbel::link
