// The engine's diagnostic log: one line per message, appended while the test switch is on.
#ifndef TONALYTE_TESTLOG_H
#define TONALYTE_TESTLOG_H

#include <string>

namespace tonalyte {

// "C:\KeyTest.txt" on Windows; KeyTest.txt in the temporary directory elsewhere.
std::string testLogPath();

// Opens, appends one line and closes again, so the file is never held open.
// A log that cannot be opened drops the message.
void writeTestLog(bool testOn, const char *message);

} // namespace tonalyte

#endif
