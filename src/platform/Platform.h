#pragma once

class Clock;
class Environment;
class FrontmostApplication;
class Pasteboard;
class Scheduler;
class UserDefaults;

// Every desktop service the rest of Tovik needs, reached through one object.
// main() installs the Linux implementation once at start; unit tests construct
// the code under test with memory doubles instead and never touch this.
class Platform {
public:
    virtual ~Platform() = default;

    virtual Clock& clock() = 0;
    virtual Environment& environment() = 0;
    virtual Scheduler& scheduler() = 0;
    virtual UserDefaults& userDefaults() = 0;
    virtual Pasteboard& pasteboard() = 0;
    virtual FrontmostApplication& frontmostApplication() = 0;

    // The installed platform. Installing is done once, before any shared service is used.
    static Platform& current();
    static void install(Platform* platform);
};
