#include "framework/workbook/save_failure.h"

#include <cerrno>

namespace workbook {

std::wstring SaveFailureWords(const SaveFailure& failure)
{
    const SaveStep step = failure.step;
    switch (failure.error) {
    case 0:
        return std::wstring();
    case ENOSPC:
        return L"на диске нет места";
    case EDQUOT:
        return L"на диске нет места (исчерпана квота)";
    case EFBIG:
        return L"файл слишком большой";
    case EACCES:
    case EPERM:
        if (step == SaveStep::MakeFolder)
            return L"нет прав, чтобы создать папку";
        if (step == SaveStep::Read)
            return L"нет прав, чтобы прочитать файл";
        return L"нет прав на запись в эту папку";
    case EROFS:
        return L"диск защищён от записи";
    case ENOENT:
        return L"папки нет";
    case ENOTDIR:
        return L"на месте папки стоит файл";
    case EISDIR:
        return L"на месте файла стоит папка";
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
        return L"файл занят другой программой";
    case EIO:
        return L"диск неисправен или отключён";
    case ENAMETOOLONG:
        return L"слишком длинное имя файла";
    case EINVAL:
    case EILSEQ:
        return L"такое имя файла здесь недопустимо";
    case ENOMEM:
        return L"не хватает памяти";
    case EMFILE:
    case ENFILE:
        return L"открыто слишком много файлов";
    case ELOOP:
        return L"путь к файлу зациклен";
    case ENODEV:
    case ENXIO:
        return L"диск отключён";
    case ETIMEDOUT:
    case EHOSTDOWN:
    case ENOTCONN:
        return L"сетевой диск не отвечает";
    case kNotAWorkbook:
        return L"файл повреждён или это не таблица результатов";
    case kNotAFile:
        return L"это не обычный файл";
    case kNoFreeName:
        return L"рядом нет свободного имени для нового файла";
    case kNoFolder:
        return L"нет папки для данных программы";
    case kInterrupted:
        return L"сохранение прервано";
    case kExists:
        return L"файл уже есть";
    case kInternal:
        return L"внутренняя ошибка программы";
    default:
        return L"ошибка системы № " + std::to_wstring(failure.error);
    }
}

} // namespace workbook
