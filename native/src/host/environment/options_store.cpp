#include "environment/options_store.h"

#include <algorithm>
#include <cstring>

namespace tovarune {

std::vector<std::string> OptionsStore::parse_choices(const char *declaration) {
    const char *list = std::strchr(declaration, ';');
    list = list != nullptr ? list + 1 : declaration;
    while (*list == ' ') {
        ++list;
    }
    std::vector<std::string> choices;
    const char *piece = list;
    for (const char *p = list;; ++p) {
        if (*p == '|' || *p == '\0') {
            if (p != piece) {
                choices.emplace_back(piece, p);
            }
            if (*p == '\0') {
                break;
            }
            piece = p + 1;
        }
    }
    return choices;
}

void OptionsStore::clear() {
    values_.clear();
    choices_.clear();
    details_.clear();
    categories_.clear();
    updated_ = false;
}

void OptionsStore::declare(const retro_variable *variables) {
    clear();
    if (variables == nullptr) {
        return;
    }
    for (const retro_variable *v = variables; v->key != nullptr; ++v) {
        if (v->value == nullptr) {
            return;
        }
        std::vector<std::string> choices = parse_choices(v->value);
        if (choices.empty()) {
            continue;
        }
        const std::string key = v->key;
        CoreOptionDetails &details = details_[key];
        const char *semicolon = std::strchr(v->value, ';');
        details.label = semicolon != nullptr ? std::string(v->value, semicolon) : std::string();
        details.default_value = choices.front();
        details.value_labels = choices;
        values_[key] = choices.front();
        choices_[key] = std::move(choices);
    }
}

void OptionsStore::declare(std::vector<DeclaredOption> options,
                           std::vector<CoreOptionCategory> categories) {
    std::unordered_map<std::string, std::string> previous = std::move(values_);
    clear();
    categories_ = std::move(categories);
    for (DeclaredOption &option : options) {
        if (option.values.empty()) {
            continue;
        }
        const auto &values = option.values;
        std::string &fallback = option.details.default_value;
        if (std::find(values.begin(), values.end(), fallback) == values.end()) {
            fallback = values.front();
        }
        option.details.value_labels.resize(values.size());
        std::string &value = values_[option.key];
        const auto kept = previous.find(option.key);
        value = kept != previous.end() &&
                        std::find(values.begin(), values.end(), kept->second) != values.end()
                    ? kept->second
                    : option.details.default_value;
        details_[option.key] = std::move(option.details);
        choices_[option.key] = std::move(option.values);
    }
}

const CoreOptionDetails *OptionsStore::details(const std::string &key) const {
    const auto it = details_.find(key);
    return it == details_.end() ? nullptr : &it->second;
}

bool OptionsStore::set_visible(const std::string &key, bool visible) {
    const auto it = details_.find(key);
    if (it == details_.end() || it->second.visible == visible) {
        return false;
    }
    it->second.visible = visible;
    return true;
}

const std::string *OptionsStore::value(const std::string &key) const {
    const auto it = values_.find(key);
    return it == values_.end() ? nullptr : &it->second;
}

const std::vector<std::string> *OptionsStore::choices(const std::string &key) const {
    const auto it = choices_.find(key);
    return it == choices_.end() ? nullptr : &it->second;
}

std::vector<std::string> OptionsStore::sorted_keys() const {
    std::vector<std::string> keys;
    keys.reserve(values_.size());
    for (const auto &entry : values_) {
        keys.push_back(entry.first);
    }
    // Unsigned byte order, whatever the signedness of char here.
    std::sort(keys.begin(), keys.end(), [](const std::string &a, const std::string &b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            });
    });
    return keys;
}

bool OptionsStore::set(const std::string &key, const std::string &value) {
    const auto choices = choices_.find(key);
    if (choices == choices_.end()) {
        return false;
    }
    const auto &allowed = choices->second;
    if (std::find(allowed.begin(), allowed.end(), value) == allowed.end()) {
        return false;
    }
    values_[key] = value;
    updated_ = true;
    return true;
}

bool OptionsStore::take_updated() {
    const bool was = updated_;
    updated_ = false;
    return was;
}

} // namespace tovarune
