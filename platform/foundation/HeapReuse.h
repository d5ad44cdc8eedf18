#pragma once
// Big buffers that the application makes and drops every frame (the compositor's layer groups
// and blurs, the window's picture, the engine's read-back; a phone window is 4 MiB) are kept by
// the C library for the next frame. By default it maps each such buffer afresh and gives it
// back when freed, or trims the free top of its heap at once, so every frame faults in and
// clears each 4 KiB page again: with the editing controls open, that was most of a window
// frame's time.
namespace HeapReuse {

// Buffers up to 32 MiB (the C library's limit for this) are taken from the heap, and up to
// 64 MiB of its free top is kept. For the application; a photo's render makes few buffers,
// each larger than that. Nothing under a sanitizer, whose allocator has its own rules.
void KeepFreedBuffers();

}  // namespace HeapReuse
