#pragma once

// Page images and the documents made of them pass through buffers of several
// megabytes, one page at a time. Called once at start-up, this has every such
// buffer handed back to the system when it is freed, rather than kept in the
// heap where the small allocations made in between pin it, so that a long
// document or a long session holds about one page's worth however many pages
// went through.
void ReturnPageBuffersToSystem();
