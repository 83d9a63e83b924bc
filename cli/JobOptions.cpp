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
        job::WriteJob(job::JobFromFields(fields), job::PathFromUtf8(path));
        return true;
    } catch (const job::JobError& e) {
        std::cerr << "snesenie-cli: " << e.what() << '\n';
        return false;
    }
}

} // namespace snesenie::cli
