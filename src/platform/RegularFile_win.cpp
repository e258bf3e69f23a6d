#include <windows.h>

#include "platform/RegularFile.h"

#include <io.h>

namespace corvel {

bool openRegularFile(QFile &file, QIODevice::OpenMode mode, int *error)
{
    if (!file.open(mode)) {
        const DWORD code = GetLastError();
        *error = code != 0 ? int(code) : int(ERROR_ACCESS_DENIED);
        return false;
    }
    // Devices (CON, NUL, COM1) and pipes open like files but are not files.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        file.close();
        *error = 0;
        return false;
    }
    return true;
}

} // namespace corvel
