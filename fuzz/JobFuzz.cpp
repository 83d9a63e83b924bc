// The job reader on any bytes: it either refuses them with a message fit to
// show, or returns a job that the writer writes and the reader reads back as
// the same texts.

#include "FuzzChecks.h"
#include "JobFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    snesenie::job::Job job;
    try {
        job = snesenie::job::ParseJob(content, "/fuzz/job.snesenie");
    } catch (const snesenie::job::JobError& e) {
        fuzz::CheckMessage(e.what());
        return 0;
    }
    for (const auto& [name, text] : job.texts)
        fuzz::Require(snesenie::IsValidUtf8(text), "accepted text is not UTF-8", text);
    const std::string written = snesenie::job::SerializeJob(job);
    fuzz::Require(static_cast<std::int64_t>(written.size()) <= snesenie::job::kMaxFileBytes,
                  "written job too large to read back", written.substr(0, 200));
    try {
        fuzz::Require(snesenie::job::ParseJob(written, "/fuzz/written.snesenie").texts == job.texts,
                      "job written and read back differs", written.substr(0, 200));
    } catch (const snesenie::job::JobError& e) {
        fuzz::Broken("written job refused", e.what());
    }
    return 0;
}
