// The engine's diagnostic log: one line per message, appended while the test switch is on.
#ifndef TONALYTE_TESTLOG_H
#define TONALYTE_TESTLOG_H

#include <string>

namespace tonalyte {

struct Engine;

// "C:\KeyTest.txt" on Windows; KeyTest.txt in the temporary directory elsewhere.
std::string testLogPath();

// Opens the engine's log (its own, or testLogPath()), appends one line while its test switch
// is on and closes again, so the file is never held open. A log that cannot be opened drops
// the message.
void writeTestLog(const Engine &e, const char *message);

} // namespace tonalyte

#endif
