#pragma once

#include <QString>
#include <ostream>

// Lets GoogleTest print the core's texts in a failure message.
inline std::ostream& operator<<(std::ostream& os, const QString& text)
{
    return os << '"' << text.toStdString() << '"';
}
