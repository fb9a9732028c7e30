#pragma once

// Whether the application starts when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    virtual bool isEnabled() const = 0;
    // Errors are not reported: the next isEnabled() tells the truth.
    virtual void registerItem() = 0;
    virtual void unregisterItem() = 0;
};
