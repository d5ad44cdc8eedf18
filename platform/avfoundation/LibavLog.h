#pragma once
// FFmpeg's log as the program's own: only what FFmpeg calls an error (a stream it cannot read,
// a device that failed) reaches standard error, each kind once, as "tavorin: FFmpeg (<part>):
// <message>"; its warnings and notes, said for every frame (a full-range pixel format's
// deprecation, an encoder's settings), are dropped. The camera, the movie reader and writer
// and the sound player turn it on before they first use FFmpeg; it holds for the process.
namespace platform {

void UseLibavLog();

}  // namespace platform
