// The encoder front-end of the application folder: takes the old-style
// command lines of the window and runs the system ffmpeg with their modern
// equivalent.
#include "EncoderRun.h"

#include <QStringList>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    return tools::runEncoder(arguments);
}
