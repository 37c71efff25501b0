#include "editor/gl_scene.h"

#include "editor/editor_tables.h"
#include "editor/panel_pixels.h"
#include "editor/scene_geometry.h"
#include "platform/opengl.h"

const platform::PixelFormatDescriptor editorPixelFormat = {
    40,  // nSize
    1,   // nVersion
    platform::pfdDrawToWindow | platform::pfdSupportOpenGl | platform::pfdDoubleBuffer,
    platform::pfdTypeRgba,
    24,                // cColorBits
    0, 0, 0, 0, 0, 0,  // red, green, blue bits and shifts: any
    0, 0,              // no alpha
    0, 0, 0, 0, 0,     // no accumulation buffer
    32,                // cDepthBits
    0,                 // no stencil
    0,                 // no auxiliary buffers
    platform::pfdMainPlane,
    0, 0, 0, 0,
};

int setupPixelFormat(platform::DeviceContext dc) {
  const int format = platform::choosePixelFormat(dc, &editorPixelFormat);
  if (format == 0) {
    platform::showErrorMessage("ChoosePixelFormat failed", "Error");
    return 0;
  }
  if (!platform::setPixelFormat(dc, format, &editorPixelFormat)) {
    platform::showErrorMessage("SetPixelFormat failed", "Error");
    return 0;
  }
  return 1;
}

void initScene() {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);

  // Given while the modelview matrix is still the identity and never again:
  // a point light one unit in front of the eye, moving with the viewer.
  const GLfloat ambient[] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat position[] = {0.0f, 0.0f, -1.0f, 1.0f};
  const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);

  // Without a current context glGenTextures writes nothing, and the name the
  // other windows draw with stays as it was.
  GLuint texture = panelTexture;
  glGenTextures(1, &texture);
  panelTexture = texture;
  glBindTexture(GL_TEXTURE_2D, panelTexture);
  // Rows of 1,536 bytes need no padding at the default unpack alignment of 4.
  glTexImage2D(GL_TEXTURE_2D, 0, 3, kPanelSize, kPanelSize, 0, GL_RGB, GL_UNSIGNED_BYTE, panelPixels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void deleteSceneTexture() {
  const GLuint texture = panelTexture;
  glDeleteTextures(1, &texture);
}

// The frustum is proportioned 5.32 : 4, not 300 : 200, so the picture is
// stretched sideways to fill the window.
void setViewport(int width, int height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-kFrustumHalfWidth, kFrustumHalfWidth, -kFrustumHalfHeight, kFrustumHalfHeight, kNearDepth, kFarDepth);
  glMatrixMode(GL_MODELVIEW);
}

void createSceneContext(platform::WindowHandle window, platform::DeviceContext dc) {
  ContextEntry* entry = nullptr;
  for (ContextEntry& candidate : contextTable) {
    if (!candidate.context) {
      entry = &candidate;
      break;
    }
  }
  if (!entry) return;  // eight windows hold contexts already: this one shows nothing

  // A failed pixel format leaves the window without a usable context; the
  // entry then records the window with no context and stays free.
  setupPixelFormat(dc);
  entry->context = platform::createGlContext(dc);
  platform::makeGlContextCurrent(dc, entry->context);
  entry->window = window;
  initScene();
}

void destroySceneContext(platform::WindowHandle window, platform::DeviceContext dc) {
  ContextEntry* entry = contextOfWindow(window);
  deleteSceneTexture();
  platform::makeGlContextCurrent(dc, nullptr);
  if (entry && entry->context) {
    platform::deleteGlContext(entry->context);
    entry->context = nullptr;
  }
  forgetWindowHandle(window);
}
