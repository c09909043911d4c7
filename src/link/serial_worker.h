#pragma once
// The link's worker thread: reads the port, parses frames and runs the transfers.
#include "link_state.h"

namespace zorbel::link {

// The thread body: runs on `port` until a stop is asked for or the port fails.
void runSerialWorker(DeviceLink::State& state, SerialPort port);

}  // namespace zorbel::link
