// The metadata front-end of the application folder: "flvmdi file.flv" gives
// the file full FLV metadata in place.
#include "MetadataRun.h"

#include <QStringList>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    return tools::runMetadata(arguments);
}
