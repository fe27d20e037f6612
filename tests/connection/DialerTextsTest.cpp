// The status texts of the dial states and of the service's errors.
#include "support/engine/EngineFixture.h"

#include <string>

namespace {
using Texts = EngineCase;
}  // namespace

TEST(DialerStateText, EveryStateHasItsTextOrNone) {
    struct {
        int state;
        const char* text;
    } cases[] = {
        {0, ""},
        {1, ""},
        {2, ""},
        {3, ""},
        {4, ""},
        {5, "Verificando usuário e senha..."},
        {6, ""},
        {7, "Tentativa de validação com outro usuário solicitada."},
        {8, "O servidor pediu um telefone de retorno."},
        {9, "O usuário foi solicitado para trocar de senha"},
        {10, ""},
        {11, "A fase do cálculo de velocidade foi iniciada..."},
        {12, "Um requerimento de autenticação está em andamento."},
        {13, "Re-autenticação (após retorno) foi iniciada."},
        {14, "Usuário autenticado."},
        {15, "A linha está sendo desconectada para o retorno."},
        {16, "Aguardando para dar tempo para o modem reiniciar."},
        {17, "Esperando por uma chamada do servidor."},
        {18, ""},
        {19, ""},
        {20, "A ligação foi retornada e irá continuar a autenticação."},
        {21, "Registrando na rede..."},
        {22, "A subentrada foi conectada"},
        {23, "A subentrada foi desconectada"},
        {0x1000, "Estado do terminal suportado pelo RASPHONE.EXE."},
        {0x1001, "Tentativa de re-autenticação suportada pelo RASPHONE.EXE."},
        {0x1002, "Estado de retorno suportado pelo RASPHONE.EXE."},
        {0x1003, "Alteração de senha suportada pelo RASPHONE.EXE."},
        {0x2000, "Conexão efetuada com êxito."},
        {0x2001, "Desconectado"},
        {24, "Ocorreu um erro não documentado."},
        {0x0FFF, "Ocorreu um erro não documentado."},
        {0x1004, "Ocorreu um erro não documentado."},
        {0x2002, "Ocorreu um erro não documentado."},
        {-1, "Ocorreu um erro não documentado."},
    };
    for (auto& c : cases)
        EXPECT_EQ(TDialer::StateText(static_cast<RASCONNSTATE>(c.state)), Utf8ToAnsi(c.text)) << c.state;
}

TEST_F(Texts, UnknownCodesAndStatesAndTextsTooLongForTheBuffer) {
    struct {
        const char* what;
        std::string script;
        std::vector<std::string> lines;  // between "Discando..." and the redial line
        const char* recorded;            // the record's error column
    } cases[] = {
        {"a code the service has no text for, at an undocumented state",
         "dial fail 9999 at 99 after 1000 states none\n",
         {"Ocorreu um erro não documentado.", "ERROR_INVALID_PARAMETER: 9999", "9999: "},
         "9999"},
        {"a text longer than the buffer",
         "dial fail 777 at Authenticate after 1000 states none\ntext 777 " + std::string(300, 'x') + "\n",
         {"Verificando usuário e senha...", "ERROR_INSUFFICIENT_BUFFER", "777: "},
         "0777"},
        {"a text that just fits",
         "dial fail 778 after 1000 states none\ntext 778 " + std::string(255, 'y') + "\n",
         {"778: " + std::string(255, 'y')},
         "0778"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        StopEngine();
        sim->Reset();
        std::remove((machine.programDir() + "/erros.txt").c_str());
        writeScript(c.script);
        StartEngine();
        std::size_t from = lineCount();
        dialer->Dial("", "");
        RunTo(Ms() + 2000);
        std::vector<AnsiString> want = {"Telefone: 0", "Discando..."};
        for (auto& l : c.lines) want.push_back(Utf8ToAnsi(l));
        want.push_back("7 segundos para rediscar....");
        EXPECT_EQ(texts(from), want);
        ASSERT_EQ(errorRecords().size(), 1u);
        EXPECT_EQ(errorRecords()[0].substr(49, 4), c.recorded);
    }
}
