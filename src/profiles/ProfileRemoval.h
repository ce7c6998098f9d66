#pragma once
// Removing a profile: two confirmations, then the database procedure under
// the status window, and the message for each outcome.

#include <QString>

class TFormRemovePromt;

namespace app {
class AppContext;
}

namespace profiles {

class ProfileRemoval {
public:
    ProfileRemoval(app::AppContext& context, TFormRemovePromt* prompt) : context_(context), prompt_(prompt) {}

    // True when the profile was removed.
    bool Run(int profileId, const QString& title);

    // The failure messages, by the procedure's outcome.
    static QString exportJobMessage(app::AppContext& context, const QString& jobTitle);
    static QString refusalMessage(app::AppContext& context, int returnValue);
    static QString failureMessage(app::AppContext& context, const QString& errorText);

private:
    app::AppContext& context_;
    TFormRemovePromt* prompt_;
};

}  // namespace profiles
