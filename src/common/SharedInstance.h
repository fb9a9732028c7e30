#pragma once

#include <QtGlobal>

// The process's instance of a service, as its owner (the composition root in
// app/) registers it for the service's shared() accessor. The owner decides
// when the service is made and destroyed; shared() only looks it up, so no
// service outlives what it uses because of a function-local static.
template <typename Service> class SharedInstance {
public:
    static Service& get() {
        Q_ASSERT_X(instance, "shared()", "the service is not set up (see AppServices)");
        return *instance;
    }
    static bool isSet() { return instance != nullptr; }

    // Registers service for the life of this object.
    class Registration {
    public:
        explicit Registration(Service& service) : previous(instance) { instance = &service; }
        ~Registration() { instance = previous; }
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;

    private:
        Service* previous;
    };

private:
    static inline Service* instance = nullptr;
};
