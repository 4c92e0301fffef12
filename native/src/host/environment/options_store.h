#pragma once

#include <libretro.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace tovarune {

// The options a core declares: for each key its allowed values in declared
// order and its current value. Keys and values are byte strings compared
// exactly. Both maps always hold the same keys, and each current value is one
// of its key's choices.
class OptionsStore {
public:
    // Replaces the whole store from a core's declaration array (ending at the
    // first null key; a null value ends the scan early). Null `variables`
    // just empties the store.
    void declare(const retro_variable *variables);

    // The stored value text, whose address stays put until this key's value
    // changes or the store is declared again; null for an unknown key.
    const std::string *value(const std::string &key) const;
    const std::vector<std::string> *choices(const std::string &key) const;
    // Keys in ascending unsigned byte order.
    std::vector<std::string> sorted_keys() const;

    // Sets `value` when it is byte-equal to one of the key's choices.
    bool set(const std::string &key, const std::string &value);

    // Reads and clears the flag that a script changed a value.
    bool take_updated();
    bool updated() const { return updated_; }
    std::size_t size() const { return values_.size(); }

    // Splits a declaration's value text into its choices: the list after the
    // first ';' (or the whole text), leading blanks removed, split at '|',
    // empty pieces dropped.
    static std::vector<std::string> parse_choices(const char *declaration);

private:
    std::unordered_map<std::string, std::string> values_;
    std::unordered_map<std::string, std::vector<std::string>> choices_;
    bool updated_ = false;
};

} // namespace tovarune
