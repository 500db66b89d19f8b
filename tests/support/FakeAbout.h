#pragma once

#include "platform/Programs.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <map>
#include <string>
#include <vector>

namespace fakes {

// Values by "key path|value name"; records what was opened and closed.
class Registry final : public platform::Registry {
public:
    struct Value {
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    std::map<std::string, Value> values;
    std::vector<std::uint32_t> accessAsked;
    int openKeys = 0;

    void text(const std::string& key, const std::string& name, const std::string& text,
              bool terminated = true, std::uint32_t type = kTypeText) {
        std::vector<std::uint8_t> data(text.begin(), text.end());
        if (terminated) {
            data.push_back(0);
        }
        values[key + "|" + name] = {type, data};
    }

    long openKey(Key root, const std::string& subKey, std::uint32_t access, Key& opened) override {
        accessAsked.push_back(access);
        if (root != kLocalMachine) {
            return kFileNotFound;
        }
        for (const auto& [path, value] : values) {
            if (path.substr(0, path.find('|')) == subKey) {
                keys_[next_] = subKey;
                opened = next_++;
                ++openKeys;
                return kSuccess;
            }
        }
        return kFileNotFound;
    }
    long queryValue(Key key, const std::string& name, std::uint32_t& type,
                    std::vector<std::uint8_t>& data) override {
        const auto it = values.find(keys_.at(key) + "|" + name);
        if (it == values.end()) {
            return kFileNotFound;
        }
        return Answer(it->second.type, it->second.data, type, data);
    }
    long closeKey(Key key) override {
        --openKeys;
        return keys_.erase(key) == 1 ? kSuccess : 6;
    }

private:
    std::map<Key, std::string> keys_;
    Key next_ = 1;
};

class Programs final : public platform::Programs {
public:
    std::vector<std::string> files;     // ordinary files that exist
    std::vector<std::string> startable; // paths that start
    std::vector<std::string> started;
    std::vector<std::string> tested;
    bool start(const std::string& path) override {
        for (const auto& program : startable) {
            if (program == path) {
                started.push_back(path);
                return true;
            }
        }
        return false;
    }
    bool isOrdinaryFile(const std::string& path) override {
        tested.push_back(path);
        for (const auto& file : files) {
            if (file == path) {
                return true;
            }
        }
        return false;
    }
    std::string expandEnvironment(const std::string& text) override {
        std::string expanded = text;
        const std::string reference = "%ProgramFiles%";
        if (const auto at = expanded.find(reference); at != std::string::npos) {
            expanded.replace(at, reference.size(), "C:\\Program Files");
        }
        return expanded;
    }
};

class Shell final : public platform::Shell {
public:
    struct Call {
        Window owner;
        std::string operation, file, parameters, directory;
        int show;
    };
    std::vector<Call> executed;
    std::vector<std::pair<Window, bool>> stacked;
    int stackResult = 1;
    std::intptr_t execute(Window owner, const std::string& operation, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int show) override {
        executed.push_back({owner, operation, file, parameters, directory, show});
        return 42;
    }
    int setWindowTopmost(Window window, bool topmost) override {
        stacked.emplace_back(window, topmost);
        return stackResult;
    }
};

} // namespace fakes
