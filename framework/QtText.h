#pragma once

// Private to the framework: texts between the framework and Qt.

#include "String.h"

#include <QByteArray>
#include <QString>

inline QString ToQString(const String& text)
{
    std::string_view bytes = text.View();
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline String FromQString(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    return String(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}
