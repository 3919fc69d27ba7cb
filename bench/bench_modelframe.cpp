// Frame time of a scene holding one model of 1,000,000 triangles, drawn as the view draws a model
// record: kept (read once, compiled into a display list) against read from the file again on every
// frame. The frame is drawn into a 425 x 425 framebuffer with the view's lights and camera.
// The argument is the record's scale in percent: at 100 the sphere fills much of the view, so
// both ways pay for rasterising it; at 1 it covers a few pixels, so what the cache saves (reading
// and sending the model) stands out.
#include "modeldraw.h"
#include "modelgen.h"
#include "modellibrary.h"
#include "objloader.h"

#include <GL/glu.h>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

struct Scene
{
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
    std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
    std::string folder;
    std::string path;
    ModelLibrary library;

    Scene()
    {
        surface = std::make_unique<QOffscreenSurface>();
        surface->create();
        context = std::make_unique<QOpenGLContext>();
        if (!context->create() || !context->makeCurrent(surface.get()))
            qFatal("no OpenGL context");
        framebuffer =
            std::make_unique<QOpenGLFramebufferObject>(425, 425, QOpenGLFramebufferObject::Depth);
        framebuffer->bind();
        setUpView();
        char name[] = "/tmp/tavirel-bench-XXXXXX";
        if (!mkdtemp(name))
            qFatal("no temporary folder");
        folder = name;
        path = folder + "/sphere.obj";
        writeFileOrDie(path, sphereModel(500, 1000, 6.0)); // 1,000,000 triangles
    }
    ~Scene()
    {
        library.releaseContext(nullptr);
        framebuffer.reset();
        context->doneCurrent();
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }

    // The view's lights and camera: three lights 40 units out on the axes, the eye at (5, 5, 2.5).
    static void setUpView()
    {
        glViewport(0, 0, 425, 425);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        const GLfloat positions[3][4] = {{40, 0, 0, 1}, {0, 40, 0, 1}, {0, 0, 40, 1}};
        const GLfloat diffuse[] = {0.3f, 0.3f, 0.3f, 1};
        for (int i = 0; i < 3; ++i) {
            glLightfv(GL_LIGHT1 + i, GL_POSITION, positions[i]);
            glLightfv(GL_LIGHT1 + i, GL_DIFFUSE, diffuse);
            glEnable(GL_LIGHT1 + i);
        }
        glEnable(GL_LIGHTING);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-10, 10, -10, 10, -10000, 10000);
        gluLookAt(5, 5, 2.5, 0, 0, 0, 0, 0, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // One frame: cleared, the record's material set, the record drawn, and waited for.
    template <typename DrawRecord>
    static void frame(DrawRecord drawRecord)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const GLfloat colour[] = {0.8f, 0.5f, 0.2f, 1};
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, colour);
        drawRecord();
        glFinish();
    }
};

std::unique_ptr<Scene> theScene;

// Made at the first benchmark that needs it, and gone before the application object.
Scene& scene()
{
    if (!theScene)
        theScene = std::make_unique<Scene>();
    return *theScene;
}

void BM_Frame_Empty(benchmark::State& state)
{
    scene();
    for (auto _ : state)
        Scene::frame([] {});
}

// The model is read and compiled by a first frame before the timing starts, as the view does on
// the first frame after a scene is opened.
void BM_Frame_ModelKept(benchmark::State& state)
{
    Scene& s = scene();
    const double scale = state.range(0) / 100.0;
    PlacedModel placed{s.path};
    placed.sx = placed.sy = placed.sz = scale;
    const auto drawRecord = [&s, &placed] { DrawModelRecord(s.library, placed); };
    Scene::frame(drawRecord);
    for (auto _ : state)
        Scene::frame(drawRecord);
}

// What drawing a model record costs when nothing is kept: the file read, bounded and sent call by
// call on every frame.
void BM_Frame_ModelReReadEveryFrame(benchmark::State& state)
{
    const Scene& s = scene();
    const GLfloat scale = GLfloat(state.range(0) / 100.0);
    for (auto _ : state) {
        Scene::frame([&] {
            glPushMatrix();
            glScalef(scale, scale, scale);
            TModel model = LoadModel(s.path);
            ComputeModelBounds(model);
            DrawModel(model);
            glPopMatrix();
        });
    }
}

} // namespace

BENCHMARK(BM_Frame_Empty)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Frame_ModelKept)
    ->ArgName("scale_percent")
    ->Arg(100)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);
BENCHMARK(BM_Frame_ModelReReadEveryFrame)
    ->ArgName("scale_percent")
    ->Arg(100)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(5.0);

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theScene.reset();
    return 0;
}
