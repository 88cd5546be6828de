#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "Halvane/Platform/FileWatcher.h"

namespace halvane::test {

// A watcher the test fires by hand. What it was asked to watch, and the
// listener it was given, live in a record the test keeps, so the test can
// still fire the listener after the watcher's owner is gone.
class FakeFileWatcher final : public FileWatcher {
public:
    struct Record {
        std::filesystem::path root;
        std::function<void()> onChange;
        int watchCalls = 0;
        bool refuse = false;
    };

    explicit FakeFileWatcher(std::shared_ptr<Record> record) : m_record(std::move(record)) {}

    bool watch(const std::filesystem::path& root, std::function<void()> onChange) override {
        ++m_record->watchCalls;
        if (m_record->refuse) {
            return false;
        }
        m_record->root = root;
        m_record->onChange = std::move(onChange);
        return true;
    }
    bool isWatching() const override { return !m_record->refuse && m_record->onChange; }

private:
    std::shared_ptr<Record> m_record;
};

}  // namespace halvane::test
