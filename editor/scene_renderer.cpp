#include "editor/scene_renderer.h"

#include "editor/editor_tables.h"
#include "editor/knob_angles.h"
#include "editor/knob_model.h"
#include "editor/scene_geometry.h"
#include "platform/opengl.h"

namespace {

const GLfloat kKnobRed[] = {1.0f, 0.0f, 0.0f, 1.0f};
const GLfloat kPanelWhite[] = {1.0f, 1.0f, 1.0f, 1.0f};

template <typename Mesh>
void drawQuads(const Mesh& mesh) {
  glBegin(GL_QUADS);
  for (int quad = 0; quad < Mesh::kQuadCount; ++quad) {
    glMaterialfv(GL_FRONT, GL_DIFFUSE, kKnobRed);
    glNormal3dv(mesh.normals[quad]);
    for (int corner = 0; corner < 4; ++corner) glVertex3dv(mesh.vertices[mesh.quads[quad][corner]]);
  }
  glEnd();
}

// The panel quad; texture row 0 at the top, so the image shows upright.
void drawPanel() {
  glPushMatrix();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, panelTexture);
  glTranslated(0.0, 0.0, -kPanelDepth);
  glBegin(GL_QUADS);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, kPanelWhite);
  glNormal3d(0.0, 0.0, 1.0);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3d(-kPanelHalfWidth, kPanelHalfHeight, 0.0);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3d(-kPanelHalfWidth, -kPanelHalfHeight, 0.0);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3d(kPanelHalfWidth, -kPanelHalfHeight, 0.0);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3d(kPanelHalfWidth, kPanelHalfHeight, 0.0);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();
}

}  // namespace

void drawKnobMesh() {
  drawQuads(knobBody());
  drawQuads(pointerFin);
}

void drawKnob(double x, double y, double z, double angle) {
  glPushMatrix();
  glTranslated(x, y, z);
  glRotated(angle, 0.0, 0.0, 1.0);
  drawKnobMesh();
  glPopMatrix();
}

// The knobs go first and the depth test settles where they meet the panel,
// which hides the lowest 0.1 of each.
void renderScene(const KnobAngles& knobs) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  for (const KnobPlacement& knob : kKnobLayout) {
    drawKnob(knob.x, knob.y, -kKnobDepth, knobs.angle(knob.parameter));
  }
  drawPanel();
  glFinish();
}
