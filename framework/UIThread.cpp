#include "UIThread.h"

#include "Exceptions.h"

#include <QCoreApplication>
#include <QThread>

#include <string>

void RequireUIThread(const char* operation)
{
    const QCoreApplication* application = QCoreApplication::instance();
    if (application && application->thread() != QThread::currentThread())
        Raise<ThreadAccessingUIException>(std::string(operation)
                                          + " was called from a thread other than the user-interface thread");
}
