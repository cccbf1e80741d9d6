#include "web/EngineWebView.h"

#include "web/BrowserEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QTimer>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcWebView, "numira.web")

#if QT_CONFIG(opengl)
// The context Qt shares with every OpenGL context of the process; QGuiApplication makes it at
// its start when Qt::AA_ShareOpenGLContexts is set, and the web engine reads it when its
// library loads. Qt exports both (the engine itself calls them) without a public header.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE
#endif

namespace {

// What QGuiApplication would have made at its start for Qt::AA_ShareOpenGLContexts, made now:
// loading the system's OpenGL takes longer than the rest of the window's start, so it waits
// for the engine that needs it. Set even when it cannot be created (no OpenGL, as offscreen),
// as QGuiApplication does; the engine then draws without it. It lives as long as the engine,
// to the end of the process.
void provideSharedContext()
{
#if QT_CONFIG(opengl)
    if (qt_gl_global_share_context())
        return;
    auto* context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
#endif
}

} // namespace

EngineWebView::EngineWebView(QWidget* parent, const QString& programFolder,
                             const QString& pluginPath)
    : WebView(parent),
      m_programFolder(programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                              : programFolder),
      m_pluginPath(pluginPath.isEmpty() ? pluginPathFor(QCoreApplication::applicationDirPath())
                                        : pluginPath)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

QString EngineWebView::pluginPathFor(const QString& executableFolder)
{
    const QString file = QStringLiteral(NUMIRA_PLUGIN_FILE);
    const QString beside = executableFolder + QLatin1Char('/') + file;
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(executableFolder + QLatin1Char('/') +
                           QStringLiteral(NUMIRA_PLUGIN_FOLDER) + QLatin1Char('/') + file);
}

void EngineWebView::paintEvent(QPaintEvent* event)
{
    WebView::paintEvent(event);
    // The engine's libraries take longer to load than the rest of the start-up: they are
    // loaded after this first paint has reached the screen, so the window is seen first.
    if (!m_view && !m_startPending && m_unavailableReason.isEmpty()) {
        m_startPending = true;
        QTimer::singleShot(0, this, &EngineWebView::startEngine);
    }
}

void EngineWebView::startEngine()
{
    provideSharedContext();
    // The plugin stays loaded to the end of the process: the engine cannot be unloaded.
    QPluginLoader loader(m_pluginPath);
    m_engine = qobject_cast<BrowserEngine*>(loader.instance());
    if (!m_engine) {
        showUnavailable(loader.errorString());
        return;
    }
    m_view = m_engine->createView(this, m_programFolder, [this](bool ok, const QUrl& requested) {
        if (!ok)
            emit navigationFailed(requested);
        emit pageLoaded(ok);
    });
    layout()->addWidget(m_view);
    if (m_pendingUrl.isValid())
        m_engine->navigate(m_view, m_pendingUrl);
}

void EngineWebView::showUnavailable(const QString& reason)
{
    m_unavailableReason = reason.isEmpty() ? m_pluginPath : reason;
    qCWarning(lcWebView).noquote() << "the web browser could not be loaded:" << m_unavailableReason;
    auto* note = new QLabel(tr("The web browser could not be started. Everything else in Numira "
                               "works as usual."),
                            this);
    note->setObjectName(QStringLiteral("lblBrowserUnavailable"));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignCenter);
    layout()->addWidget(note);
    note->show();
}

void EngineWebView::navigate(const QUrl& url)
{
    if (m_view)
        m_engine->navigate(m_view, url);
    else
        m_pendingUrl = url;
}

QUrl EngineWebView::url() const
{
    return m_view ? m_engine->url(m_view) : m_pendingUrl;
}
