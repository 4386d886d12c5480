#pragma once

namespace sc {

// What a compile does after a row, and what a half of the compile call tells
// its caller.
enum class [[nodiscard]] Flow{
    kGoOn,     // the next row; after a half, the next half
    kEndStep,  // error 15: the rows end here, the end step still runs
    kStop,     // any other error: the half returns at once, without its end step
};

}  // namespace sc
