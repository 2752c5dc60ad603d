// Cost of the automation boundary: an early-bound call through the vtable
// against the same call late-bound through IDispatch::Invoke, name lookup,
// and the string round trip of the call frame.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "com/registry.h"
#include "vellorax/vellorax.h"

namespace {

template <class T>
T* Create(const GUID& clsid, const GUID& iid) {
  IClassFactory* factory = nullptr;
  DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  void* object = nullptr;
  factory->CreateInstance(nullptr, iid, &object);
  factory->Release();
  return static_cast<T*>(object);
}

// ZClient.Unload: a call that succeeds without a worker.
void BM_EarlyBoundCall(benchmark::State& state) {
  IZClient* z = Create<IZClient>(CLSID_ZClient, IID_IZClient);
  for (auto _ : state) benchmark::DoNotOptimize(z->Unload());
  z->Release();
}
BENCHMARK(BM_EarlyBoundCall);

void BM_LateBoundCall(benchmark::State& state) {
  IDispatch* z = Create<IDispatch>(CLSID_ZClient, IID_IDispatch);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  for (auto _ : state)
    benchmark::DoNotOptimize(z->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
  z->Release();
}
BENCHMARK(BM_LateBoundCall);

// A failing call: exception, error record, EXCEPINFO.
void BM_LateBoundFailure(benchmark::State& state) {
  IDispatch* z = Create<IDispatch>(CLSID_ZClient, IID_IDispatch);
  VARIANT arg{};
  arg.vt = VT_INT;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  for (auto _ : state) {
    EXCEPINFO info{};
    benchmark::DoNotOptimize(z->Invoke(6, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &info, nullptr));
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
  }
  SetErrorInfo(0, nullptr);
  z->Release();
}
BENCHMARK(BM_LateBoundFailure);

void BM_GetIDsOfNames(benchmark::State& state) {
  IDispatch* z = Create<IDispatch>(CLSID_ZClient, IID_IDispatch);
  std::u16string name = u"option";
  LPOLESTR names[] = {name.data()};
  DISPID id;
  for (auto _ : state) benchmark::DoNotOptimize(z->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
  z->Release();
}
BENCHMARK(BM_GetIDsOfNames);

// Crypt.Encrypt of a 64-character string: conversion in and out plus the cipher.
void BM_CryptEncrypt(benchmark::State& state) {
  ICrypt* c = Create<ICrypt>(CLSID_Crypt, IID_ICrypt);
  BSTR text = SysAllocString(u"Hamsun, Knut: Sult. Kristiania: Philipsen, 1890. 318 s. 8vo.....");
  for (auto _ : state) {
    BSTR result = nullptr;
    benchmark::DoNotOptimize(c->Encrypt(text, &result));
    SysFreeString(result);
  }
  SetErrorInfo(0, nullptr);
  SysFreeString(text);
  c->Release();
}
BENCHMARK(BM_CryptEncrypt);

// One ProgID lookup in a registry file holding the full registration.
void BM_RegistryLookup(benchmark::State& state) {
  const std::string path = "/tmp/vx_bench_registry_" + std::to_string(::getpid());
  vellorax::com::TFileRegistry registry(path);
  registry.Update([](vellorax::com::TRegistryData& d) {
    for (int i = 0; i < 50; ++i)
      d.SetValue(vellorax::com::TRegistryRoot::kClassesRoot, "Key" + std::to_string(i) + "\\Clsid", "",
                 "{2F245D93-3E3B-4BBD-BE18-B76053D931E4}");
  });
  for (auto _ : state)
    benchmark::DoNotOptimize(
        registry.GetValue(vellorax::com::TRegistryRoot::kClassesRoot, "Key25\\Clsid", ""));
  std::remove(path.c_str());
  std::remove((path + ".lock").c_str());
}
BENCHMARK(BM_RegistryLookup);

}  // namespace

BENCHMARK_MAIN();
