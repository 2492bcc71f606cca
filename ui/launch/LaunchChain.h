#pragma once

// What a launch prompt tells the chain of prompts shown at start-up: whether the next one
// may be shown or the chain ends with it.
enum class LaunchChain {
    Stop,
    Next,
};
