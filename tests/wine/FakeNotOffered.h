#pragma once
// The calls of a Direct3D 9 interface that the saver never makes are not
// implemented by the recording stand-ins: each is declared by this one macro
// and answered by its class's NotOffered<R>(name), which logs the call and
// refuses it as not offered, a fault that fails the test. Should the saver
// start making such a call, the test that reaches it says which to implement.
#include <d3d9.h>

#include <type_traits>

#define FAKE_NOT_OFFERED(R, name, params) \
    STDMETHOD_(R, name) params override { return NotOffered<R>(#name); }

// What a refused call answers: the refusal where it returns an HRESULT, zero
// (or nothing) otherwise.
template <class R>
R NotOfferedAnswer(HRESULT hr) {
    if constexpr (std::is_same_v<R, HRESULT>) {
        return hr;
    } else {
        (void)hr;
        if constexpr (!std::is_void_v<R>) return R{};
    }
}
