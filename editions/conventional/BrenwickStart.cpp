#include "BrenwickStart.h"

#include "ConventionalEdition.h"
#include "FrmconfigConventional.h"
#include "Frmbottombanner.h"
#include "MainConventional.h"

#include "app/Discddd.h"
#include "app/Msgdlg.h"
#include "platform/Application.h"

TProgramStart BrenwickStart(const AnsiString& firstParameter) {
    if (firstParameter == "--banner")
        return {kBannerTitle, &ConventionalEdition(), [] { Application->CreateForm(Banner); }};
    return {kBrenwickTitle, &ConventionalEdition(), [] {
                Application->CreateForm<TMainFormConventional>(MainForm);
                Application->CreateForm(MsgDialog);
                Application->CreateForm(frmDiscDDD);
                Application->CreateForm<TFormConfigConventional>(FormConfig);
            }};
}
