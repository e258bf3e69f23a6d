#include "admin/AdminText.h"

#include "platform/Error.h"

#include <exception>

namespace corvel::admin {

QString currentErrorMessage()
{
    try {
        throw;
    } catch (const Error &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace corvel::admin
