#pragma once
// Standard output and error while a link command runs, written by a thread of
// their own: a reader that stops reading (`| less`, `| sleep 30`) holds up
// that thread only. The main thread waits only while more than a little is
// queued, and that wait ends at once on abandon(), as does every later write:
// a signal can always close the port and end the command, never queued behind
// log output.
#include <memory>
#include <streambuf>

namespace zorbel::ctl {

class SessionOutput {
 public:
  // From here on std::cout and std::cerr write through this object.
  SessionOutput();
  // Waits for what is queued (unless abandoned) and puts the streams back. A
  // writer that is abandoned in a blocked write is left to the process's end.
  ~SessionOutput();
  SessionOutput(const SessionOutput&) = delete;
  SessionOutput& operator=(const SessionOutput&) = delete;

  // Drops what is queued and all that comes later, and ends any wait on the
  // output. Any thread may call it.
  void abandon();
  // Waits until everything written so far is out; false when abandoned.
  bool drain();
  // The errno of standard output's first failed write; 0 while none failed.
  int outputError() const;

  struct Queue;  // shared with the writer thread, which may outlive this object

 private:
  class Buffer;
  std::shared_ptr<Queue> queue_;
  std::unique_ptr<Buffer> out_;
  std::unique_ptr<Buffer> err_;
  std::streambuf* previousOut_ = nullptr;
  std::streambuf* previousErr_ = nullptr;
};

}  // namespace zorbel::ctl
