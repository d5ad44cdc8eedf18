#pragma once
// The program's resources (look-up images, icons, pictures) found by name. Folders are
// searched in this order:
//   1. each folder of $TAVORIN_RESOURCES (several may be given, separated by ':');
//   2. the installed share folder, <program folder>/../share/tavorin;
//   3. the source tree's resources folder, for a program run from its build tree.
// In each folder a resource is looked for at the top, then in its sub-folders (sorted by
// name, depth first), so resources may be grouped in folders without callers knowing.
#include <string>
#include <vector>

class NSBundle {
public:
    static NSBundle& mainBundle();

    // The path of "name.type" (or of "name" when the type is empty or already ends the name),
    // in `subdirectory` of a resource folder when one is given; empty when there is none.
    std::string pathForResource(const std::string& name, const std::string& type = "",
                                const std::string& subdirectory = "") const;
    // The resource folders that exist, in search order.
    std::vector<std::string> resourceDirectories() const;
    // The first resource folder, or empty.
    std::string resourcePath() const;
    // The first resource folder that holds `entry` (a file or folder at its top); else the
    // first resource folder, or empty.
    std::string resourcePathHolding(const std::string& entry) const;
    // The program's name as files it writes for the user carry it.
    std::string bundleName() const { return "Tavorin"; }
    // The program's version, as the build states it ("1.0").
    std::string shortVersionString() const;
    // The program's name and version ("Tavorin 1.0"): the Software entry of every file it
    // writes, from the application and from the command line alike.
    std::string softwareName() const { return bundleName() + " " + shortVersionString(); }
};
