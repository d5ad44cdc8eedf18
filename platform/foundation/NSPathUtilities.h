#pragma once
// Where the program keeps its files, per user, following the XDG base directories:
//   caches               $XDG_CACHE_HOME/tavorin  (default ~/.cache/tavorin)
//   application support  $XDG_DATA_HOME/tavorin   (default ~/.local/share/tavorin)
//   documents            $XDG_DATA_HOME/tavorin/Documents
// The folders are named, not created. Relative XDG values are ignored, as the XDG base
// directory rules ask.
#include <string>

enum class NSSearchPathDirectory { Caches, ApplicationSupport, Documents };

std::string NSHomeDirectory();
std::string NSSearchPathForDirectory(NSSearchPathDirectory directory);
// $TMPDIR when set to an absolute path, else /tmp; always with a trailing '/'.
std::string NSTemporaryDirectory();
