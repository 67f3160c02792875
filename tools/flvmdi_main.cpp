// SPDX-License-Identifier: GPL-3.0-or-later
// The metadata front-end of the application folder: "flvmdi file.flv" gives
// the file full FLV metadata in place.
#include "FrontEnd.h"
#include "MetadataRun.h"

int main(int argc, char **argv)
{
    return tools::runFrontEnd("flvmdi", argc, argv, tools::runMetadata);
}
