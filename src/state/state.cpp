// Definitions of the program-wide variables, with their initial values.
#include "state/state.h"

namespace
{

template <typename T, std::size_t N> constexpr std::array<T, N> Filled(T value)
{
    std::array<T, N> a{};
    for (T &x : a)
        x = value;
    return a;
}

} // namespace

#define VAR(type, name, init) constinit type name = init;
#define TAB(type, name, count, init)                                                               \
    constinit std::array<type, count> name = Filled<type, count>(init);
#include "state/state_vars.h"
#undef VAR
#undef TAB

constinit TextFile fp{};
constinit TextFile fpw{};
constinit TextFile fpn{};

void StateReset()
{
#define VAR(type, name, init) name = init;
#define TAB(type, name, count, init) name.fill(init);
#include "state/state_vars.h"
#undef VAR
#undef TAB
    fp.f = nullptr;
    fpw.f = nullptr;
    fpn.f = nullptr;
}
