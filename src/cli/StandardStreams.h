#pragma once
// The process's standard streams, made safe before anything else runs: descriptors 0, 1 and 2
// that were closed are opened on /dev/null, so no file the program opens later takes their
// place (and receives its messages), and SIGPIPE is ignored, so a reader that went away makes
// writes fail instead of ending the process. Messages are best effort: a failed write never
// changes what the program does or its exit status.

void SecureStandardStreams();
