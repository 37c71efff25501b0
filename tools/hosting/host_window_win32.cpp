#include <windows.h>

#include "tools/hosting/host_window.h"
#include "tools/system/system_services.h"
#include "tools/system/tool_error.h"

namespace {

const char* const kClassName = "quorlinHostWindow";
const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The outer size that gives the inside the editor asked for.
RECT outerFrame(int width, int height) {
  RECT frame{0, 0, width, height};
  AdjustWindowRect(&frame, kStyle, FALSE);
  return frame;
}

// Closing only marks the window closed; the host closes the editor first and
// destroys the window afterwards.
LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 1);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

struct HostWindow::State {
  HWND window;
  int width;
  int height;
};

HostWindow::HostWindow(const std::string& title, int width, int height) : state(new State{nullptr, width, height}) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = hostWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);

  const RECT frame = outerFrame(width, height);
  state->window = CreateWindowExA(0, kClassName, title.c_str(), kStyle, 0, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!state->window) {
    const DWORD error = GetLastError();
    delete state;
    throw ToolError(kExitBadInput, "cannot create the host window: " + systemErrorText(error));
  }
  ShowWindow(state->window, SW_SHOW);
  UpdateWindow(state->window);
}

HostWindow::~HostWindow() {
  DestroyWindow(state->window);
  UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
  delete state;
}

void* HostWindow::parentHandle() const { return state->window; }

void HostWindow::resize(int width, int height) {
  state->width = width;
  state->height = height;
  const RECT frame = outerFrame(width, height);
  SetWindowPos(state->window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void HostWindow::fitChild(void* child) {
  RECT inside{};
  if (GetClientRect(static_cast<HWND>(child), &inside) && inside.right > 0 && inside.bottom > 0) {
    resize(inside.right, inside.bottom);
  }
}

bool HostWindow::handleEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return GetWindowLongPtrA(state->window, GWLP_USERDATA) == 0;
}

// The inside of the window as the screen shows it: the editor draws with
// OpenGL into a child window, which a copy from the screen includes.
RgbImage HostWindow::capture() const {
  POINT origin{0, 0};
  ClientToScreen(state->window, &origin);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, state->width, state->height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const BOOL copied = BitBlt(memory, 0, 0, state->width, state->height, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, previous);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = state->width;
  info.bmiHeader.biHeight = -state->height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> bgrx(static_cast<size_t>(state->width) * state->height * 4);
  const int rows = copied ? GetDIBits(memory, bitmap, 0, static_cast<UINT>(state->height), bgrx.data(), &info,
                                      DIB_RGB_COLORS)
                          : 0;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != state->height) throw ToolError(kExitCannotWrite, "cannot copy the window's picture from the screen");

  RgbImage picture;
  picture.width = state->width;
  picture.height = state->height;
  picture.pixels.reserve(static_cast<size_t>(state->width) * state->height * 3);
  for (size_t at = 0; at < bgrx.size(); at += 4) {
    picture.pixels.insert(picture.pixels.end(), {bgrx[at + 2], bgrx[at + 1], bgrx[at]});
  }
  return picture;
}
