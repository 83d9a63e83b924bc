#include "SystemReason.h"

#include <cerrno>
#include <system_error>

namespace snesenie::job {

std::string SystemReason(int errnum)
{
    switch (errnum) {
    case ENOENT:
        return "нет такого файла или папки";
    case EACCES:
        return "нет доступа";
    case EPERM:
        return "операция не позволена";
    case ENOSPC:
        return "на диске нет места";
#ifdef EDQUOT
    case EDQUOT:
        return "превышена дисковая квота";
#endif
    case EFBIG:
        return "файл слишком велик";
#ifdef ELOOP
    case ELOOP:
        return "слишком много уровней символических ссылок";
#endif
    case ENAMETOOLONG:
        return "слишком длинное имя файла";
    case ENOTDIR:
        return "часть пути не является папкой";
    case EISDIR:
        return "это папка";
    case EROFS:
        return "файловая система только для чтения";
    case EEXIST:
        return "файл уже существует";
    case EIO:
        return "ошибка ввода-вывода";
    case EBUSY:
        return "устройство или файл заняты";
#ifdef ETXTBSY
    case ETXTBSY:
        return "файл занят";
#endif
    case EMFILE:
    case ENFILE:
        return "открыто слишком много файлов";
    case ENOMEM:
        return "не хватает памяти";
    case EXDEV:
        return "файлы на разных файловых системах";
    case ENXIO:
        return "нет такого устройства или адреса";
    case ENODEV:
        return "нет такого устройства";
    case EAGAIN:
        return "ресурс временно недоступен";
    case EINVAL:
        return "недопустимый аргумент";
    case ENOTEMPTY:
        return "папка не пуста";
    case EMLINK:
        return "слишком много ссылок";
#ifdef ESTALE
    case ESTALE:
        return "устаревший дескриптор сетевого файла";
#endif
    default:
        break;
    }
    // The system's own text, in whatever language the C library speaks.
    std::string reason = std::generic_category().message(errnum);
    if (reason.empty())
        reason = "неизвестная ошибка";
    while (!reason.empty() && reason.back() == '.')
        reason.pop_back();
    return reason + " (код " + std::to_string(errnum) + ")";
}

std::string SystemReason(const std::error_code& error)
{
#ifdef _WIN32
    // std::filesystem reports what the C library says as errno values and
    // what the system says as its own codes.
    if (error.category() == std::system_category())
        return WindowsReason(static_cast<unsigned long>(error.value()));
#endif
    return SystemReason(error.value());
}

} // namespace snesenie::job
