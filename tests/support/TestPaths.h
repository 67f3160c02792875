#pragma once

#include <QByteArray>
#include <QString>

// Paths the test command hands to every test through the environment.
inline QString testChildProgram()
{
    return QString::fromLocal8Bit(qgetenv("TROVEXA_TEST_CHILD"));
}

inline QString applicationFolderUnderTest()
{
    return QString::fromLocal8Bit(qgetenv("TROVEXA_APP_DIR"));
}
