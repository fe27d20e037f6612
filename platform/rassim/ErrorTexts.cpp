#include "ErrorTexts.h"

#include <algorithm>

namespace {
const struct {
    DWORD code;
    const char* text;  // UTF-8 source, handed out as 1252
} kTexts[] = {
    {601, "O identificador de porta é inválido."},
    {602, "A porta especificada já está aberta."},
    {603, "O buffer do chamador é pequeno demais."},
    {604, "Foram especificadas informações incorretas."},
    {606, "A porta especificada não está conectada."},
    {608, "O dispositivo não existe."},
    {609, "O tipo de dispositivo não existe."},
    {610, "O buffer é inválido."},
    {615, "A porta não foi encontrada."},
    {616, "Uma solicitação assíncrona está pendente."},
    {617, "A porta ou o dispositivo já está sendo desconectado."},
    {618, "A porta não está aberta."},
    {619, "A porta foi desconectada."},
    {621, "Não é possível abrir o arquivo da agenda telefônica."},
    {622, "Não é possível carregar o arquivo da agenda telefônica."},
    {623, "Não é possível encontrar a entrada da agenda telefônica."},
    {624, "Não é possível gravar o arquivo da agenda telefônica."},
    {625, "Foram encontradas informações inválidas na agenda telefônica."},
    {627, "Não é possível encontrar uma chave."},
    {628, "A porta foi desconectada."},
    {629, "A porta foi desconectada pelo computador remoto."},
    {630, "A porta foi desconectada devido a uma falha de hardware."},
    {631, "A porta foi desconectada pelo usuário."},
    {632, "O tamanho da estrutura está incorreto."},
    {633, "A porta já está em uso ou não está configurada para discagem de saída."},
    {635, "Ocorreu um erro desconhecido."},
    {638, "A solicitação expirou."},
    {645, "Erro interno de autenticação."},
    {649, "A conta não tem permissão para discagem."},
    {650, "O servidor de acesso remoto não está respondendo."},
    {651, "O modem (ou outro dispositivo de conexão) informou um erro."},
    {652, "Resposta não reconhecida do dispositivo."},
    {668, "A conexão foi perdida."},
    {676, "A linha telefônica está ocupada."},
    {677, "Uma pessoa atendeu em vez de um modem."},
    {678, "Não houve resposta."},
    {679, "Não foi possível detectar a portadora."},
    {680, "Não há tom de discagem."},
    {691, "Acesso negado porque o nome de usuário e/ou a senha é inválido no domínio."},
    {692, "Falha de hardware na porta ou no dispositivo conectado."},
    {718, "Expirou o tempo de espera por uma resposta válida do computador remoto (PPP)."},
    {720, "Nenhum protocolo de controle PPP configurado."},
    {734, "O protocolo de controle de vínculo PPP foi encerrado."},
    {738, "O servidor não atribuiu um endereço."},
};
}  // namespace

bool ErrorText(const DialScript& script, DWORD code, AnsiString& text) {
    if (std::find(script.noTexts.begin(), script.noTexts.end(), code) != script.noTexts.end()) return false;
    if (auto it = script.texts.find(code); it != script.texts.end()) {
        text = it->second;
        return true;
    }
    for (auto& t : kTexts)
        if (t.code == code) {
            text = Utf8ToAnsi(t.text);
            return true;
        }
    if (code >= RASBASE && code <= RASBASEEND) {
        text = "Erro "_a + std::to_string(code) + " do Acesso à Rede Dial-Up."_a;
        return true;
    }
    return false;
}
