#include "JobOptions.h"

#include "JobFile.h"
#include "Utf8Path.h"

#include <iostream>

namespace snesenie::cli {

bool LoadJobOption(const std::string& path, PageFields& fields)
{
    try {
        job::ApplyJob(job::ReadJob(job::PathFromUtf8(path)), fields);
        return true;
    } catch (const job::JobError& e) {
        std::cerr << "snesenie-cli: " << e.what() << '\n';
        return false;
    }
}

bool SaveJobOption(const std::string& path, const PageFields& fields)
{
    try {
        if (const std::string notice = job::WriteJob(job::JobFromFields(fields), job::PathFromUtf8(path));
            !notice.empty())
            std::cerr << "snesenie-cli: " << notice << '\n';
        return true;
    } catch (const job::JobError& e) {
        std::cerr << "snesenie-cli: " << e.what() << '\n';
        return false;
    }
}

} // namespace snesenie::cli
