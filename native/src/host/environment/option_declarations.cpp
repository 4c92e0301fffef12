#include "environment/option_declarations.h"

#include <cstring>

namespace tovarune {

namespace {

std::string text(const char *core_text) { return core_text != nullptr ? core_text : ""; }

// The core's text, or when it gave none, the other.
std::string text_or(const char *core_text, const char *otherwise) {
    return core_text != nullptr && *core_text != '\0' ? core_text : text(otherwise);
}

template <typename Definition>
const Definition *find_definition(const Definition *definitions, const char *key) {
    for (const Definition *d = definitions; d != nullptr && d->key != nullptr; ++d) {
        if (std::strcmp(d->key, key) == 0) {
            return d;
        }
    }
    return nullptr;
}

// The label `local` gives `value`, when it has one.
const char *local_label(const retro_core_option_value *local, const char *value) {
    for (std::size_t i = 0; local != nullptr && i < RETRO_NUM_CORE_OPTION_VALUES_MAX; ++i) {
        if (local[i].value == nullptr) {
            break;
        }
        if (std::strcmp(local[i].value, value) == 0) {
            return local[i].label;
        }
    }
    return nullptr;
}

// What both generations have: key, texts, values with labels, default.
template <typename Definition>
DeclaredOption read_definition(const Definition &us, const Definition *local) {
    const Definition &texts = local != nullptr ? *local : us;
    DeclaredOption option;
    option.key = us.key;
    option.details.label = text_or(texts.desc, us.desc);
    option.details.description = text_or(texts.info, us.info);
    option.details.default_value = text(us.default_value);
    for (std::size_t i = 0; i < RETRO_NUM_CORE_OPTION_VALUES_MAX && us.values[i].value; ++i) {
        const char *value = us.values[i].value;
        const char *label = local != nullptr ? local_label(local->values, value) : nullptr;
        option.values.emplace_back(value);
        option.details.value_labels.push_back(
            text_or(label, text_or(us.values[i].label, value).c_str()));
    }
    return option;
}

} // namespace

std::vector<DeclaredOption> read_option_definitions(const retro_core_option_definition *us,
                                                    const retro_core_option_definition *local) {
    std::vector<DeclaredOption> options;
    for (const retro_core_option_definition *d = us; d != nullptr && d->key != nullptr; ++d) {
        options.push_back(read_definition(*d, find_definition(local, d->key)));
    }
    return options;
}

void read_options_v2(const retro_core_options_v2 *us, const retro_core_options_v2 *local,
                     std::vector<DeclaredOption> &options,
                     std::vector<CoreOptionCategory> &categories) {
    options.clear();
    categories.clear();
    if (us == nullptr) {
        return;
    }
    const retro_core_option_v2_category *local_categories =
        local != nullptr ? local->categories : nullptr;
    for (const retro_core_option_v2_category *c = us->categories; c != nullptr && c->key; ++c) {
        const retro_core_option_v2_category *l = find_definition(local_categories, c->key);
        const retro_core_option_v2_category &texts = l != nullptr ? *l : *c;
        categories.push_back({c->key, text_or(texts.desc, c->desc), text_or(texts.info, c->info)});
    }
    const retro_core_option_v2_definition *local_definitions =
        local != nullptr ? local->definitions : nullptr;
    for (const retro_core_option_v2_definition *d = us->definitions; d != nullptr && d->key; ++d) {
        const retro_core_option_v2_definition *l = find_definition(local_definitions, d->key);
        DeclaredOption option = read_definition(*d, l);
        const retro_core_option_v2_definition &texts = l != nullptr ? *l : *d;
        // An option whose category is not declared has none.
        const std::string category = text(d->category_key);
        for (const CoreOptionCategory &declared : categories) {
            if (!category.empty() && declared.key == category) {
                option.details.category = category;
                option.details.label_in_category =
                    text_or(texts.desc_categorized,
                            text_or(d->desc_categorized, option.details.label.c_str()).c_str());
                option.details.description_in_category = text_or(
                    texts.info_categorized,
                    text_or(d->info_categorized, option.details.description.c_str()).c_str());
            }
        }
        options.push_back(std::move(option));
    }
}

} // namespace tovarune
