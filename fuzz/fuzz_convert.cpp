// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzes the converter with any bytes as its input file, under tight limits:
// a PSP file whose title reads back, or a failure with a kind, never a crash.
#include "convert/Convert.h"
#include "mp4title/Title.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace {

int memoryFile(const char* name)
{
    return ::memfd_create(name, MFD_CLOEXEC);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 256 << 10)
        return 0;
    const int in = memoryFile("in");
    const int out = memoryFile("out");
    if (in < 0 || out < 0 || ::write(in, data, size) != static_cast<ssize_t>(size))
        std::abort();
    convert::ConvertRequest request;
    request.input = QStringLiteral("/proc/self/fd/%1").arg(in);
    request.outputFd = out;
    // The profile follows the length, so that one seed reaches both.
    request.profile = &convert::profiles()[size % convert::profiles().size()];
    request.title = QStringLiteral("Fuzz \u00e9");
    request.threads = 1;
    request.limits.maxWidth = 640;
    request.limits.maxHeight = 640;
    request.limits.maxFrames = 48;
    request.limits.maxOutputBytes = 2 << 20;
    request.limits.timeLimit = std::chrono::milliseconds(3000);
    const std::atomic<bool> cancel{false};
    const convert::ConvertResult result = convert::convertVideo(request, cancel, {});
    if (result.status == convert::Status::Done) {
        const mp4title::ReadResult title = mp4title::readTitle("/proc/self/fd/" + std::to_string(out));
        if (result.bytes <= 0 || title.status != mp4title::ReadStatus::Ok || title.title != "Fuzz \xc3\xa9")
            std::abort();
    } else if (result.status != convert::Status::Failed || result.error == convert::Error::None) {
        std::abort();
    }
    ::close(in);
    ::close(out);
    return 0;
}
