#include "Passes.h"

namespace qznb {

namespace {

Pass randomPass()
{
    Pass pass;
    pass.random = true;
    return pass;
}

Pass pattern(unsigned char a, unsigned char b, unsigned char c)
{
    Pass pass;
    pass.pattern[0] = a;
    pass.pattern[1] = b;
    pass.pattern[2] = c;
    return pass;
}

Pass byte(unsigned char value)
{
    return pattern(value, value, value);
}

} // namespace

std::vector<Pass> passesFor(Level level)
{
    switch (level) {
    case Level::Simple:
        return {randomPass()};
    case Level::Medium:
        return {byte(0xF6), byte(0x00), byte(0xFF), randomPass(), byte(0x00), byte(0xFF), randomPass()};
    case Level::Gutmann:
        break;
    }
    // 4 random passes, the 27 fixed encodings, 4 random passes.
    std::vector<Pass> passes(4, randomPass());
    passes.push_back(byte(0x55));
    passes.push_back(byte(0xAA));
    passes.push_back(pattern(0x92, 0x49, 0x24));
    passes.push_back(pattern(0x49, 0x24, 0x92));
    passes.push_back(pattern(0x24, 0x92, 0x49));
    for (int value = 0x00; value <= 0xFF; value += 0x11)
        passes.push_back(byte(static_cast<unsigned char>(value)));
    passes.push_back(pattern(0x92, 0x49, 0x24));
    passes.push_back(pattern(0x49, 0x24, 0x92));
    passes.push_back(pattern(0x24, 0x92, 0x49));
    passes.push_back(pattern(0x6D, 0xB6, 0xDB));
    passes.push_back(pattern(0xB6, 0xDB, 0x6D));
    passes.push_back(pattern(0xDB, 0x6D, 0xB6));
    for (int i = 0; i < 4; ++i)
        passes.push_back(randomPass());
    return passes;
}

void fillPattern(const Pass &pass, unsigned char *buffer, std::size_t length, std::size_t phase)
{
    for (std::size_t i = 0; i < length; ++i)
        buffer[i] = pass.pattern[(i + phase) % 3];
}

} // namespace qznb
