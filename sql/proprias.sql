-- Tables of Contas a Pagar's own in the shared database (dados/brundelo.bd).
-- The program creates each of them the first time it needs one; they are
-- listed here for the pharmacy's administrator. No table of the suite is
-- altered, and no other program of the suite reads or writes these.

-- The payment slips kept with their installments: a boleto's linha digitável
-- (47 digits), a collection slip's line (48 digits) or a PIX "copia e cola"
-- code as received, read once when the bill is recorded and copied from the
-- due list on the day it is paid. One row per installment, keyed as the
-- installment is; written, moved and deleted in the transaction that writes
-- its installment. TIPO: B boleto, A arrecadação, P PIX. LINHA is what the
-- bank takes: the digits without separators, or the PIX code.
CREATE TABLE CP_COBRANCAS (
    CODIGOPARC   INTEGER NOT NULL,
    CODIGOCPR    INTEGER NOT NULL,
    TIPO         VARCHAR(1) NOT NULL,
    LINHA        VARCHAR(512) NOT NULL,
    ESTACAO      VARCHAR(2),
    DATAREGISTRO DATE,
    CONSTRAINT PK_CP_COBRANCAS PRIMARY KEY (CODIGOPARC, CODIGOCPR)
);
CREATE INDEX CP_COBRANCAS_LINHA ON CP_COBRANCAS (LINHA);

-- The access key of the NF-e an account was imported from ("Importar
-- NF-e..."), one row per account, keyed as the account is. Written in the
-- transaction that first writes the account, so a second import of the same
-- NF-e is recognised. The index serves that look-up.
CREATE TABLE CP_NFE_CONTA (
    CODIGOCPR INTEGER NOT NULL,
    ESTACAO   VARCHAR(2) NOT NULL,
    CHAVENFE  VARCHAR(44) NOT NULL,
    CONSTRAINT PK_CP_NFE_CONTA PRIMARY KEY (CODIGOCPR, ESTACAO)
);
CREATE INDEX IX_CP_NFE_CONTA_CHAVE ON CP_NFE_CONTA (CHAVENFE);
