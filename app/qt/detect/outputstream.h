// Where tunedeck-detect's output goes: every write checked, so that a full disk or a reader
// gone away stops the run instead of leaving a cut output behind a success; and control
// characters of names shown escaped on a terminal, where they would act instead of show.
#ifndef TUNEDECK_QT_DETECT_OUTPUTSTREAM_H
#define TUNEDECK_QT_DETECT_OUTPUTSTREAM_H

#include <cstdio>
#include <string>
#include <string_view>

namespace tunedeck {

// The text with C0 controls, DEL, UTF-8 encoded C1 controls and bytes that are not UTF-8
// written as \xHH (C1 as \u00HH); line ends (LF, CR LF) and tabs are kept, since the
// output is made of them.
std::string escapeControls(std::string_view text);

class OutputStream {
public:
    // A terminal is asked once; anything else gets the bytes as they are.
    explicit OutputStream(FILE *stream);

    // False once a write has failed; later writes are not tried.
    bool write(std::string_view bytes);
    bool flush();

    bool failed() const { return error_ != 0; }
    // errno of the failed write; EPIPE when the reader went away.
    int error() const { return error_; }

private:
    FILE *stream_;
    bool terminal_;
    int error_ = 0;
};

} // namespace tunedeck

#endif
