// ui/named.h — a form's control found by its component name (ui layer)
#pragma once

#include <QObject>
#include <QString>

namespace velmora {

// The child of `owner` of that objectName and type. The forms name every control, so a missing
// one is a fault of the program, stopped at once.
template <typename T> T *Named(QObject &owner, const char *name)
{
    T *found = owner.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control named %s", name);
    return found;
}

} // namespace velmora
