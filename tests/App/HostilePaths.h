#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ShellFixture.h"

namespace halvane::test {

// Folder names that break a program path spliced into shell or desktop-entry
// syntax: blanks, both quotes, expansions, escapes, separators and globs.
inline std::vector<std::string> hostileFolderNames() {
    return {
        "with space",
        "it's",
        "say \"hi\"",
        "$HOME and ${PATH}",
        "`touch pwned` $(touch pwned)",
        "back\\slash\\",
        "semi;colon & amp | pipe",
        "glob * ? [a]",
        "100% sure %f %u",
        "~tilde #hash (paren) <in> >out",
    };
}

// A harmless program at `folder`/tool that records how it was started: its
// own path and the number of arguments, in `marker`.
inline std::filesystem::path markerTool(const std::filesystem::path& folder,
                                        const std::filesystem::path& marker) {
    const std::filesystem::path tool = folder / "tool";
    makeExecutable(tool, "#!/bin/sh\nprintf '%s|%s' \"$0\" \"$#\" > '" + marker.string() + "'\n");
    return tool;
}

}  // namespace halvane::test
