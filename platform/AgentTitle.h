#pragma once

namespace quillset {

// The update agent's application title: its message boxes, its questions and its log all carry it.
inline constexpr char kAgentTitle[] = "TLUPDATER";

} // namespace quillset
