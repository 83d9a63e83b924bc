#include "SaveTarget.h"

#include <system_error>

namespace snesenie::job {

std::string SaveTargetProblem(const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    switch (status.type()) {
    case fs::file_type::regular:
    case fs::file_type::not_found:
        return {};
    case fs::file_type::directory:
        return "это папка, а не файл";
    case fs::file_type::fifo:
        return "это именованный канал (FIFO), а не обычный файл";
    case fs::file_type::character:
        return "это символьное устройство, а не обычный файл";
    case fs::file_type::block:
        return "это блочное устройство, а не обычный файл";
    case fs::file_type::socket:
        return "это сокет, а не обычный файл";
    case fs::file_type::none:
        if (error)
            return error.message();
        break;
    default:
        break;
    }
    return "это не обычный файл";
}

} // namespace snesenie::job
