#pragma once
// Sets an environment variable (or, with nullptr, unsets it) for the life of
// the object.

#include <QByteArray>
#include <QtGlobal>
#include <optional>

namespace testing_support {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray* value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) previous_ = qgetenv(name);
        value ? qputenv(name, *value) : qunsetenv(name);
    }
    ~ScopedEnv() { previous_ ? qputenv(name_, *previous_) : qunsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> previous_;
};

}  // namespace testing_support
