// The editor's class reference documents exactly the bound methods, with their
// arguments, constness and a description, so the two cannot drift apart.

#include "register_types.h"

#include <stand_in.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Method = std::tuple<std::vector<std::string>, bool, bool>; // arguments, const, described
constexpr std::size_t none = std::string::npos;

// The value of `name="..."` in the tag that starts at `at`.
std::string name_at(const std::string &xml, std::size_t at) {
    const std::size_t start = xml.find("name=\"", at) + 6;
    return xml.substr(start, xml.find('"', start) - start);
}

// Each method or signal documented, by name.
std::map<std::string, Method> documented(const std::string &xml, const std::string &kind) {
    std::map<std::string, Method> found;
    const std::string tag = "<" + kind + " ";
    for (std::size_t at = xml.find(tag); at != none; at = xml.find(tag, at + 1)) {
        const std::size_t end = xml.find("</" + kind + ">", at);
        std::vector<std::string> arguments;
        for (std::size_t param = xml.find("<param ", at); param < end;
             param = xml.find("<param ", param + 1)) {
            arguments.push_back(name_at(xml, param));
        }
        const std::size_t text = xml.find("<description>", at) + 13;
        const bool described =
            xml.find_first_not_of(" \t\r\n", text) < xml.find("</description>", text);
        const bool is_const = xml.substr(at, xml.find('>', at) - at).find("\"const\"") != none;
        found[name_at(xml, at)] = {arguments, is_const, described};
    }
    return found;
}

TEST(DocClasses, DescribeEveryBoundMethodAndSignalAndNothingElse) {
    std::stringstream file;
    file << std::ifstream(DOC_CLASSES_XML).rdbuf();
    const std::string xml = file.str();

    godot::stand_in::reset();
    tovarune::initialize_module(godot::MODULE_INITIALIZATION_LEVEL_SCENE);
    const godot::stand_in::ClassRecord *player = godot::stand_in::find_class("LibretroPlayer");
    ASSERT_NE(player, nullptr);
    std::map<std::string, Method> bound, signals;
    for (const godot::stand_in::MethodRecord &method : player->methods) {
        bound[method.name] = {method.argument_names, method.is_const, true};
    }
    for (const godot::stand_in::SignalRecord &signal : player->signals) {
        signals[signal.name] = {signal.argument_names, false, true};
    }
    EXPECT_EQ(documented(xml, "method"), bound);
    EXPECT_EQ(documented(xml, "signal"), signals);
}

} // namespace
