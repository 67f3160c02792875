// SPDX-License-Identifier: GPL-3.0-or-later
// The encoder front-end of the application folder: takes the old-style
// command lines of the window and runs the system ffmpeg with their modern
// equivalent.
#include "EncoderRun.h"
#include "FrontEnd.h"

int main(int argc, char **argv)
{
    return tools::runFrontEnd("ffmpeg", argc, argv, tools::runEncoder);
}
