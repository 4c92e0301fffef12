#pragma once

#include <libretro.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace tovarune {

// What a menu shows of an option, beyond its values. Texts are the core's,
// copied; empty where the core gave none.
struct CoreOptionDetails {
    std::string label;
    std::string description;
    // The texts the core gives for the option shown inside its category.
    std::string label_in_category;
    std::string description_in_category;
    // A declared category's key, or empty.
    std::string category;
    std::string default_value;
    // One per value, in the same order; a value without a label is its own.
    std::vector<std::string> value_labels;
    bool visible = true;
};

struct CoreOptionCategory {
    std::string key;
    std::string label;
    std::string description;
};

// One option as a declaration of any generation reads.
struct DeclaredOption {
    std::string key;
    std::vector<std::string> values;
    CoreOptionDetails details;
};

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
    // Replaces the store with options of the later generations. A key that is
    // declared again keeps its current value while that is still allowed (a
    // core may declare its options again to update them); any other starts at
    // its default.
    void declare(std::vector<DeclaredOption> options, std::vector<CoreOptionCategory> categories);

    // The stored value text, whose address stays put until this key's value
    // changes or the store is declared again; null for an unknown key.
    const std::string *value(const std::string &key) const;
    const std::vector<std::string> *choices(const std::string &key) const;
    const CoreOptionDetails *details(const std::string &key) const;
    const std::vector<CoreOptionCategory> &categories() const { return categories_; }
    // Keys in ascending unsigned byte order.
    std::vector<std::string> sorted_keys() const;

    // Sets `value` when it is byte-equal to one of the key's choices.
    bool set(const std::string &key, const std::string &value);
    // Shows or hides a known option; true when that changed anything.
    bool set_visible(const std::string &key, bool visible);

    // Reads and clears the flag that a script changed a value.
    bool take_updated();
    bool updated() const { return updated_; }
    std::size_t size() const { return values_.size(); }

    // Splits a declaration's value text into its choices: the list after the
    // first ';' (or the whole text), leading blanks removed, split at '|',
    // empty pieces dropped.
    static std::vector<std::string> parse_choices(const char *declaration);

private:
    void clear();

    std::unordered_map<std::string, std::string> values_;
    std::unordered_map<std::string, std::vector<std::string>> choices_;
    std::unordered_map<std::string, CoreOptionDetails> details_;
    std::vector<CoreOptionCategory> categories_;
    bool updated_ = false;
};

} // namespace tovarune
