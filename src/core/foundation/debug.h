// debug: the engine's diagnostic log, one printf-style line at a time on standard error,
// and the failure handler through which script-driven subsystems report into it.
#pragma once

// Formats like printf and writes the text plus a newline to standard error as one write,
// so lines from different threads do not mix. Error lines start with "ERROR: ".
void WriteDbg(char const* format, ...) __attribute__((format(printf, 1, 2)));

// Sees every line after it was written, on the writing thread, with the debug log's lock
// held (a test harness follows the log this way). One observer at a time; null removes it.
typedef void (*TDbgObserver)(char const* line, void* context);
void SetDbgObserver(TDbgObserver observer, void* context);

// Kept for the start-up sequence; the log has no file to reset.
void ResetDbg(char const* name);

// Allocation tracking is not built in: both report 0.
unsigned long qvGetTotalAllocated();
unsigned long qvGetMaxAllocated();

// Receives error and status reports; subclasses may show them elsewhere.
class TFailure
{
public:
  virtual ~TFailure() {}
  // Written as "file(line): message".
  virtual void Failure(char const* message, int line, char const* file);
  virtual void Status(char const* message);
};
