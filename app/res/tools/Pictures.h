// Every picture the generator makes.
#pragma once
#include <QImage>
#include <QPolygon>
#include <QStringList>

namespace art {

enum class ButtonKind { Connect, Disconnect };

// The Corvala-line window.
QImage MainSkin();                                                      // BMP1, 514 x 289
QImage ButtonPicture(const QImage& skin, ButtonKind kind, bool hover);  // 155 x 25
QImage TrayImage(bool newMail);                                         // BMPST1 / BMPST2, 16 x 16

// The conventional-line window.
QImage RoamingSkin();        // BMP1, 514 x 289
QImage SettingsHover();      // BMP3, 92 x 34
QImage NewUserHover();       // BMP4, 59 x 34
QImage ExistingUserImage();  // ImageJaSouUsuario, 150 x 16
QImage NewUserImage();       // ImageSouNovo, 201 x 15
QImage Banner();             // BMPBNN, 164 x 135, 256 colours
// Reduces a picture to at most 256 colours of its own (median cut).
QImage ToIndexed(const QImage& img);

// The window as it shows on screen: the skin cut to its outline (transparent outside), with
// the button picture at its place; over a desktop colour (Composite).
QImage WindowPicture(const QImage& skin, const QPolygon& outline, const QImage* button);
QImage Composite(const QImage& skin, const QPolygon& outline, const QImage* button);
// Illustrations for the help page: the status view with some lines, the login panel filled.
QImage WithStatusLines(const QImage& skin, const QStringList& lines);
QImage WithLoginPanel(const QImage& skin);

}  // namespace art
