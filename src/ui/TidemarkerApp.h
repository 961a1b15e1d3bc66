#pragma once

// The tray application: no window and no taskbar or dock entry of its own, only the status
// item, until "Quit".
class TidemarkerApp
{
public:
    static int run(int &argc, char **argv);
};
