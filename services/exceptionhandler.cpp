#include "exceptionhandler.h"

#include "dialogs.h"
#include "error.h"

#include <QTimer>

namespace {

ExceptionHandler installedHandler;

} // namespace

void setApplicationExceptionHandler(ExceptionHandler handler)
{
    installedHandler = std::move(handler);
}

void handleApplicationException(const std::exception& error)
{
    if (installedHandler)
        installedHandler(error);
    else
        reportException(error);
}

void reportException(const std::exception& error)
{
    if (auto known = dynamic_cast<const Error*>(&error))
        dialogs().error(known->message(), QString::fromLatin1(known->kind()));
    else
        dialogs().error(QString::fromUtf8(error.what()), QStringLiteral("Exception"));
}

void postApplicationException(const std::exception& error)
{
    auto known = dynamic_cast<const Error*>(&error);
    const Error copy = known ? *known : Error(QString::fromUtf8(error.what()), "Exception");
    QTimer::singleShot(0, [copy] { handleApplicationException(copy); });
}
