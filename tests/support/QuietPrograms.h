#pragma once

#include <QByteArray>

// While it lives, the programs a test starts (the module stand-in, the reinstaller) open no
// window, and the stand-in records its arguments beside itself.
class QuietPrograms
{
public:
    QuietPrograms()
    {
        qputenv("CORVEL_STUB_NO_WINDOW", "1");
        qputenv("CORVEL_REINSTALLER_NO_WINDOW", "1");
        qputenv("CORVEL_STUB_RECORD_ARGS", "1");
    }
    ~QuietPrograms()
    {
        qunsetenv("CORVEL_STUB_NO_WINDOW");
        qunsetenv("CORVEL_REINSTALLER_NO_WINDOW");
        qunsetenv("CORVEL_STUB_RECORD_ARGS");
    }
    QuietPrograms(const QuietPrograms &) = delete;
    QuietPrograms &operator=(const QuietPrograms &) = delete;
};
