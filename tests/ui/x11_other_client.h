#pragma once
// Another X client with a window of its own, which takes the focus and counts the keys
// the server gives it. Keys are typed through XTEST, as a keyboard would.

#include <QStringList>

#include <memory>

namespace pw::test::x11 {

class OtherClient {
public:
    OtherClient();
    ~OtherClient();
    // Gives the window the focus; false when the server never does.
    bool focus();
    // Presses ("+name") and releases ("-name") of keys by their keysym names, exactly
    // these: no modifier presses are added around them.
    void type(const QStringList& steps);
    // Key presses the window got so far.
    int key_presses();

private:
    struct Connection;
    std::unique_ptr<Connection> c_;
};

}  // namespace pw::test::x11
