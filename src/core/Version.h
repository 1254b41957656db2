#pragma once

// The version text shown in the About box, the log's start banner and the
// scanner identity.
inline constexpr char kVersionText[] = "2.00.0147";
