#pragma once
// A procedure of a test's registry wrapped: every call is counted, and call
// number `failOn` (1-based; 0: none) gets the refusal instead of running.

#include "reportdb/ProcedureRegistry.h"

#include <gtest/gtest.h>
#include <atomic>
#include <memory>

namespace testing_support {

struct WrappedProcedure {
    std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> failOn = std::make_shared<std::atomic<int>>(0);
    // Refuses the next call.
    void failNext() const { *failOn = *calls + 1; }
};

inline WrappedProcedure wrapProcedure(reportdb::ProcedureRegistry& registry, const QString& name,
                                      const reportdb::ProcedureResult& refusal) {
    WrappedProcedure wrapped;
    const reportdb::ProcedureDefinition* original = registry.find(name);
    EXPECT_TRUE(original) << name.toStdString();
    if (!original) return wrapped;
    reportdb::ProcedureDefinition definition = *original;
    definition.body = [inner = original->body, wrapped, refusal](reportdb::ProcedureContext& context,
                                                                 const reportdb::Arguments& args) {
        return ++*wrapped.calls == wrapped.failOn->load() ? refusal : inner(context, args);
    };
    registry.add(std::move(definition));
    return wrapped;
}

// Refused by its return value, as the procedures refuse.
inline WrappedProcedure wrapProcedure(reportdb::ProcedureRegistry& registry, const QString& name,
                                      int returnValue) {
    reportdb::ProcedureResult refusal;
    refusal.returnValue = returnValue;
    return wrapProcedure(registry, name, refusal);
}

}  // namespace testing_support
