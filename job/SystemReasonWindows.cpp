#include "SystemReason.h"

#include "Utf8.h"

#include <windows.h>

namespace snesenie::job {
namespace {

// Codes that MinGW's headers do not name.
constexpr unsigned long kVirusInfected = 225;
constexpr unsigned long kVirusDeleted = 226;
constexpr unsigned long kDiskQuotaExceeded = 1295;

} // namespace

std::string WindowsReason(unsigned long code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return "нет такого файла или папки";
    case ERROR_PATH_NOT_FOUND:
        return "нет такой папки";
    case ERROR_INVALID_DRIVE:
        return "нет такого диска";
    case ERROR_ACCESS_DENIED:
        return "нет доступа";
    case ERROR_SHARING_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return "файл открыт в другой программе";
    case ERROR_LOCK_VIOLATION:
        return "файл заблокирован другой программой";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "на диске нет места";
    case kDiskQuotaExceeded:
        return "превышена дисковая квота";
    case ERROR_FILE_TOO_LARGE:
        return "файл слишком велик";
    case ERROR_WRITE_PROTECT:
        return "диск защищён от записи";
    case ERROR_NOT_READY:
        return "устройство не готово";
    case ERROR_FILENAME_EXCED_RANGE:
        return "слишком длинное имя файла";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return "недопустимое имя файла";
    case ERROR_DIRECTORY:
        return "недопустимое имя папки";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return "файл уже существует";
    case ERROR_DIR_NOT_EMPTY:
        return "папка не пуста";
    case ERROR_NOT_SAME_DEVICE:
        return "файлы на разных дисках";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return "не хватает памяти";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "открыто слишком много файлов";
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE:
        return "ошибка ввода-вывода";
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return "сетевой путь не найден";
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
        return "сетевой диск недоступен";
    case ERROR_CANT_RESOLVE_FILENAME:
        return "слишком много уровней символических ссылок";
    case kVirusInfected:
    case kVirusDeleted:
        return "антивирус не даёт открыть файл";
    case ERROR_NOT_SUPPORTED:
        return "операция не поддерживается";
    case ERROR_INVALID_PARAMETER:
        return "недопустимый аргумент";
    default:
        break;
    }
    // The system's own text, in the language of the installed Windows.
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason;
    if (length > 0 && text != nullptr)
        reason = Utf16ToUtf8(std::u16string(text, text + length));
    if (text != nullptr)
        LocalFree(text);
    while (!reason.empty() && (reason.back() == '.' || reason.back() == '\r' || reason.back() == '\n' ||
                               reason.back() == ' '))
        reason.pop_back();
    if (reason.empty())
        reason = "неизвестная ошибка";
    return reason + " (код Windows " + std::to_string(code) + ")";
}

} // namespace snesenie::job
