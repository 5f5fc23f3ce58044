#include "platform/d3d9/test_device.h"

#include <algorithm>

#include "platform/d3d9/device.h"

namespace d3d9 {

void TestSetup::FailCall(const std::string& operation, unsigned nth, HRESULT result) {
  faults.emplace(operation, Fault{nth, result});
}

void TestSetup::FailAnyCall(unsigned nth, HRESULT result) {
  anyCallFaults.push_back(Fault{nth, result});
}

void TestSetup::ClearFaults() {
  faults.clear();
  anyCallFaults.clear();
  memoryRefusals.clear();
}

void TestSetup::RefuseDrawMemory(unsigned nth) { memoryRefusals.push_back(nth); }

bool TestSetup::GrantDrawMemory() {
  ++memoryRequests;
  const auto refused = std::find(memoryRefusals.begin(), memoryRefusals.end(), memoryRequests);
  if (refused == memoryRefusals.end()) return true;
  memoryRefusals.erase(refused);
  return false;
}

unsigned TestSetup::CallCount(const std::string& operation) const {
  const auto found = counts.find(operation);
  return found != counts.end() ? found->second : 0;
}

std::vector<CallRecord> TestSetup::CallsNamed(const std::string& operation) const {
  std::vector<CallRecord> calls;
  for (const CallRecord& call : log) {
    if (call.operation == operation) calls.push_back(call);
  }
  return calls;
}

HRESULT TestSetup::Enter(const char* operation, std::initializer_list<std::int64_t> arguments) {
  const unsigned count = ++counts[operation];
  const unsigned total = ++totalCount;
  log.push_back({operation, std::vector<std::int64_t>(arguments)});
  for (const Fault& fault : anyCallFaults) {
    if (fault.nth == total) return fault.result;
  }
  const auto [first, last] = faults.equal_range(operation);
  for (auto fault = first; fault != last; ++fault) {
    if (fault->second.nth == count) return fault->second.result;
  }
  return S_OK;
}

HRESULT CreateTestDevice(std::shared_ptr<TestSetup> setup, UINT width, UINT height,
                         IDirect3DDevice9** device) {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  IDirect3D9* direct3d = CreateTestDirect3D(std::move(setup));
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = width;
  parameters.BackBufferHeight = height;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  const HRESULT result = direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                                D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                                device);
  direct3d->Release();
  return result;
}

unsigned LiveObjectCount(IDirect3DDevice9* device) {
  const Device* own = AsDevice(device);
  return own != nullptr ? own->ObjectsMadeAlive() : 0;
}

std::uint64_t RectanglesTaken(IDirect3DDevice9* device) {
  const Device* own = AsDevice(device);
  return own != nullptr ? own->RectanglesTaken() : 0;
}

const PresentedFrame* LastPresentedFrame(IDirect3DDevice9* device) {
  const Device* own = AsDevice(device);
  if (own == nullptr || !own->HasPresented()) return nullptr;
  return &own->LastFrame();
}

}  // namespace d3d9
