#include "ui/LazyIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <memory>

namespace ui {

namespace {

// The icon once made, shared by the engine and its clones (a QIcon clones
// its engine when it is changed).
struct Made {
    std::function<QIcon()> make;
    QIcon icon;
    bool done = false;

    const QIcon& get() {
        if (!done) {
            done = true;
            icon = make();
            make = nullptr;
        }
        return icon;
    }
};

class LazyIconEngine : public QIconEngine {
public:
    explicit LazyIconEngine(std::shared_ptr<Made> made) : made_(std::move(made)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        made_->get().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return made_->get().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return made_->get().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return made_->get().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return made_->get().availableSizes(mode, state);
    }
    QString iconName() override { return made_->get().name(); }
    // Asked while buttons are laid out: answered without making the icon.
    bool isNull() override { return made_->done && made_->icon.isNull(); }
    QString key() const override { return QStringLiteral("LazyIconEngine"); }
    QIconEngine* clone() const override { return new LazyIconEngine(made_); }

private:
    std::shared_ptr<Made> made_;
};

}  // namespace

QIcon lazyIcon(std::function<QIcon()> make) {
    auto made = std::make_shared<Made>();
    made->make = std::move(make);
    return QIcon(new LazyIconEngine(std::move(made)));
}

QIcon standardIcon(QStyle::StandardPixmap pixmap) {
    return lazyIcon([pixmap] { return QApplication::style()->standardIcon(pixmap); });
}

QIcon themeIcon(const QString& name, const QIcon& fallback) {
    return lazyIcon([name, fallback] { return QIcon::fromTheme(name, fallback); });
}

}  // namespace ui
